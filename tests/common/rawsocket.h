#pragma once

// The few BSD socket calls the tests' raw servers make, alike on Linux and Windows. A socket is an
// int on both (a Windows SOCKET is a small handle value).
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>

namespace RawSocket {
struct Startup {
    Startup()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
};
inline const Startup startup;

constexpr int kNoSignal = 0;
constexpr int kShutBoth = SD_BOTH;
inline int open()
{
    const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, 0);
    return socket == INVALID_SOCKET ? -1 : int(socket);
}
inline void close(int socket)
{
    ::closesocket(SOCKET(socket));
}
// > 0 when the socket is ready for the events within the time.
inline int wait(int socket, short events, int timeoutMs)
{
    WSAPOLLFD one{SOCKET(socket), events, 0};
    return ::WSAPoll(&one, 1, timeoutMs);
}
} // namespace RawSocket
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace RawSocket {
constexpr int kNoSignal = MSG_NOSIGNAL;
constexpr int kShutBoth = SHUT_RDWR;
inline int open()
{
    return ::socket(AF_INET, SOCK_STREAM, 0);
}
inline void close(int socket)
{
    ::close(socket);
}
inline int wait(int socket, short events, int timeoutMs)
{
    pollfd one{socket, events, 0};
    return ::poll(&one, 1, timeoutMs);
}
} // namespace RawSocket
#endif
