// music-cycles [cycles] [--window-only]: opens the music window on a page of a local sample site,
// waits for the page's load to end, closes the window, and after each cycle prints the process's GDI
// and USER objects, kernel handles and private memory; at the end the last cycle against the first.
// --window-only: the same window with a page address the program refuses, so no control is made
// (the baseline: what the window costs without the page).
#include "config/remoteconfiguration.h"
#include "platform/webview.h"
#include "portals/tformmusic.h"
#include "samplesite.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <windows.h> // before psapi.h, which uses its types

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
struct Usage {
    DWORD gdi = 0;
    DWORD user = 0;
    DWORD handles = 0;
    SIZE_T privateBytes = 0;
};

Usage usageNow()
{
    Usage usage;
    const HANDLE self = GetCurrentProcess();
    usage.gdi = GetGuiResources(self, GR_GDIOBJECTS);
    usage.user = GetGuiResources(self, GR_USEROBJECTS);
    GetProcessHandleCount(self, &usage.handles);
    // The committed private memory (PagefileUsage: Wine fills no PrivateUsage).
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(self, &memory, sizeof memory))
        usage.privateBytes = memory.PagefileUsage;
    return usage;
}

bool waitForLoadEnd(WebView* page, int timeoutMs)
{
    QEventLoop loop;
    bool ended = false;
    QObject::connect(page, &WebView::loadFinished, &loop, [&] {
        ended = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return ended;
}

void print(const char* label, const Usage& usage)
{
    std::printf("%-8s gdi %5lu  user %5lu  handles %5lu  private %8.1f KiB\n", label, usage.gdi, usage.user,
                usage.handles, double(usage.privateBytes) / 1024);
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 50;
    const bool windowOnly = argc > 2 && std::strcmp(argv[2], "--window-only") == 0;
    SampleSite site;
    if (site.start() <= 0)
        return 2;
    qputenv("QUVO_PRODUCT_SERVER", site.baseUrl());
    remoteConfig().MusicDef = "1";
    remoteConfig().MusicAdr = windowOnly ? QByteArray("ftp://refused/") : site.baseUrl() + "/portal/music.htm";

    Usage first;
    Usage last;
    int unfinished = 0;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        QPointer<TFormMusic> music = new TFormMusic;
        music->start();
        if (!windowOnly && !waitForLoadEnd(music->findChild<WebView*>(QStringLiteral("wb1")), 20000))
            ++unfinished;
        delete music;
        // The control's own posted messages.
        for (QDeadlineTimer settle(50); !settle.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        last = usageNow();
        if (cycle == 1)
            first = last;
        char label[16];
        std::snprintf(label, sizeof label, "cycle %d", cycle);
        print(label, last);
    }
    std::printf("requests for the page: %d; loads that never ended: %d\n",
                site.countRequests(QStringLiteral("GET /portal/music.htm")), unfinished);
    std::printf("last - first: gdi %+ld  user %+ld  handles %+ld  private %+.1f KiB (goal: handles not growing, "
                "private within 2048 KiB)\n",
                long(last.gdi) - long(first.gdi), long(last.user) - long(first.user),
                long(last.handles) - long(first.handles),
                (double(last.privateBytes) - double(first.privateBytes)) / 1024);
    return 0;
}
