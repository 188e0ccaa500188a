// sample-site [--port N] [--log FILE] [--set name=value]...   (sample-site --help tells more)
// Serves the stand-in sites on 127.0.0.1 until interrupted.
#include "samplesite.h"

#include "services/commandline.h"

#include <QCoreApplication>

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
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("监听的端口（默认任选一个空闲端口）。"),
                                        QStringLiteral("端口"), QStringLiteral("0"));
    const QCommandLineOption logOption(QStringLiteral("log"), QStringLiteral("把收到的每个请求记到这个文件。"),
                                       QStringLiteral("文件"));
    const QCommandLineOption setOption(QStringLiteral("set"),
                                       QStringLiteral("改一个开关，例如 settings.Version=1.0.2.0（可给多次）。"),
                                       QStringLiteral("名称=值"));
    CommandLine commandLine(argc, argv, QStringLiteral("[选项]"),
                            QStringLiteral("在 127.0.0.1 上扮演外部站点（种子搜索站、产品服务器），直到被中断。\n"
                                           "启动后第一行输出站点的根地址。"));
    commandLine.addOption(portOption);
    commandLine.addOption(logOption);
    commandLine.addOption(setOption);
    if (const std::optional<int> status = commandLine.parse())
        return *status;
    const QCommandLineParser& parser = commandLine.parser();
    bool portValid = false;
    const int port = parser.value(portOption).toInt(&portValid);
    if (!portValid || port < 0 || port > 65535)
        return commandLine.refuse(QStringLiteral("端口须为 0 到 65535"));

    QCoreApplication app(argc, argv);
    SampleSite site;
    if (parser.isSet(logOption))
        site.setLogFile(parser.value(logOption));
    for (const QString& setting : parser.values(setOption)) {
        const qsizetype eq = setting.indexOf(QLatin1Char('='));
        if (eq <= 0)
            return commandLine.refuse(QStringLiteral("--set 须写成 名称=值：") + setting);
        site.setSwitch(setting.left(eq), setting.mid(eq + 1));
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
