// sample-site [--port N] [--log FILE] [--set name=value]...
// Serves the stand-in sites on 127.0.0.1 until interrupted.
#include "samplesite.h"

#include <QCoreApplication>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <thread>

namespace {
volatile std::sig_atomic_t g_stop = 0;
void onSignal(int)
{
    g_stop = 1;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    SampleSite site;
    int port = 0;
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--port") && i + 1 < args.size()) {
            port = args[++i].toInt();
        } else if (arg == QLatin1String("--log") && i + 1 < args.size()) {
            site.setLogFile(args[++i]);
        } else if (arg == QLatin1String("--set") && i + 1 < args.size()) {
            const QString setting = args[++i];
            const qsizetype eq = setting.indexOf(QLatin1Char('='));
            if (eq > 0)
                site.setSwitch(setting.left(eq), setting.mid(eq + 1));
        } else {
            std::fprintf(stderr, "usage: sample-site [--port N] [--log FILE] [--set name=value]...\n");
            return 2;
        }
    }
    if (site.start(port) == 0) {
        std::fprintf(stderr, "sample-site: cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    std::printf("%s\n", site.baseUrl().constData());
    std::fflush(stdout);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    while (!g_stop)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    site.stop();
    return 0;
}
