// startwatch <caption> <settle ms> <program> [arguments...]
// Starts the program, waits until a top-level window with exactly that caption is mapped, waits
// the settle time, and prints "<ms to the window> <peak resident kB>"; then kills the program.
// Exit status 1 when no such window appears within 60 s.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/select.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {
std::string windowCaption(Display* display, Window window)
{
    const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string caption;
    if (XGetWindowProperty(display, window, netWmName, 0, 1024, False, utf8, &type, &format, &count, &after, &data) ==
            Success &&
        data) {
        caption.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
    }
    return caption;
}

long peakResidentKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}
} // namespace

int main(int argc, char* argv[])
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: startwatch <caption> <settle ms> <program> [arguments...]\n");
        return 2;
    }
    const std::string wanted = argv[1];
    const int settleMs = std::atoi(argv[2]);
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "startwatch: no display\n");
        return 2;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[3], argv + 3);
        _exit(127);
    }

    const int fd = ConnectionNumber(display);
    double elapsedMs = -1;
    while (elapsedMs < 0) {
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(60))
            break;
        if (!XPending(display)) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(fd, &readable);
            timeval wait{0, 100000};
            select(fd + 1, &readable, nullptr, nullptr, &wait);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify && windowCaption(display, event.xmap.window) == wanted)
            elapsedMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
    if (elapsedMs >= 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
    const long peakKb = peakResidentKb(pid);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    XCloseDisplay(display);
    if (elapsedMs < 0) {
        std::fprintf(stderr, "startwatch: no window \"%s\"\n", wanted.c_str());
        return 1;
    }
    std::printf("%.1f %ld\n", elapsedMs, peakKb);
    return 0;
}
