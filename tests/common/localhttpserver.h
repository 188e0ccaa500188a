#pragma once

#include <QByteArray>

#include <httplib.h>

#include <thread>

// A cpp-httplib server of the test's own on 127.0.0.1, for replies the sample site never gives.
// Register routes on `server` before start(); the destructor stops it.
class LocalHttpServer final {
public:
    LocalHttpServer() = default;
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;
    ~LocalHttpServer() { stop(); }

    void start(); // binds a free port and serves on a thread of its own
    void stop();  // stops serving; the port then refuses connections
    QByteArray url(const char* path) const { return "http://127.0.0.1:" + QByteArray::number(port) + path; }

    httplib::Server server;
    int port = 0;

private:
    std::thread m_thread;
};
