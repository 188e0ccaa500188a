// update-fetch: the program's update download without its window.
//   update-fetch [-v] [-n WORKERS] ADDRESS TARGET   asks for the size, downloads in WORKERS ranges, joins
//   update-fetch --join TARGET SIZE PART...    joins existing part files (they are deleted afterwards)
// Prints one line: "ok <bytes> <seconds>..." or "failed <reason>"; the exit status is 0 only on success.
#include "services/commandline.h"
#include "update/downloadjob.h"
#include "update/mergepartfiles.h"
#include "update/requestfilesize.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <cstdio>

namespace {

int join(const QStringList& args) // TARGET SIZE PART...
{
    QElapsedTimer clock;
    clock.start();
    const qint64 size = args[1].toLongLong();
    // What MergePartFiles does, in its two steps, so that each can be timed.
    const bool joined = joinPartFiles(args[0], args.mid(2), size);
    const double joining = double(clock.nsecsElapsed()) / 1e9;
    removePartFiles(args.mid(2));
    const double total = double(clock.nsecsElapsed()) / 1e9;
    if (!joined) {
        std::printf("failed join\n");
        return 1;
    }
    std::printf("ok %lld %.3f (joining %.3f, removing the parts %.3f)\n", size, total, joining, total - joining);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    const QCommandLineOption verboseOption(QStringLiteral("v"), QStringLiteral("把各段的下载情况写到标准错误输出。"));
    const QCommandLineOption workersOption(QStringLiteral("n"), QStringLiteral("分几段同时下载（1 到 10，默认 5）。"),
                                           QStringLiteral("段数"), QStringLiteral("5"));
    const QCommandLineOption joinOption(
        QStringLiteral("join"), QStringLiteral("不下载，只把已有的分段文件按序合并成 TARGET（之后删除分段）。"));
    CommandLine commandLine(
        argc, argv, QStringLiteral("[-v] [-n 段数] ADDRESS TARGET | --join TARGET SIZE PART..."),
        QStringLiteral("不开窗口地走一遍程序的更新下载：先问文件大小，再分段下载并合并。\n"
                       "输出一行：\"ok <字节数> <秒数>...\" 或 \"failed <原因>\"；只有成功时退出码为 0。"));
    commandLine.addOption(verboseOption);
    commandLine.addOption(workersOption);
    commandLine.addOption(joinOption);
    commandLine.allowPositionalArguments();
    if (const std::optional<int> status = commandLine.parse())
        return *status;
    const QCommandLineParser& parser = commandLine.parser();
    const QStringList args = parser.positionalArguments();
    // Joining needs no event loop; it is timed against cat, so it skips the application set-up too.
    if (parser.isSet(joinOption))
        return args.size() < 3 ? commandLine.refuse(QStringLiteral("--join 需要 TARGET SIZE 和至少一个 PART"))
                               : join(args);
    bool workersValid = false;
    const int workers = parser.value(workersOption).toInt(&workersValid);
    if (!workersValid || workers < 1 || workers > 10)
        return commandLine.refuse(QStringLiteral("段数须为 1 到 10"));
    if (args.size() != 2)
        return commandLine.refuse(QStringLiteral("需要 ADDRESS 和 TARGET"));
    const bool verbose = parser.isSet(verboseOption);
    QCoreApplication app(argc, argv);

    QElapsedTimer clock;
    clock.start();
    const QByteArray address = args[0].toUtf8();
    const FileSizeReply size = RequestFileSize(address);
    if (size.outcome != FileSizeReply::Outcome::Ok) {
        std::printf("failed size request (status %ld)\n", size.status);
        return 1;
    }
    DownloadJob job;
    int status = 1;
    QObject::connect(&job, &DownloadJob::succeeded, &app, [&](qint64 bytes) {
        std::printf("ok %lld %.3f\n", bytes, double(clock.nsecsElapsed()) / 1e9);
        status = 0;
        app.quit();
    });
    QObject::connect(&job, &DownloadJob::failed, &app, [&] {
        std::printf("failed download\n");
        app.quit();
    });
    QObject::connect(&job, &DownloadJob::fellBackToOneConnection, &app,
                     [] { std::fprintf(stderr, "the server ignores byte ranges: one connection\n"); });
    if (verbose) {
        const auto say = [&clock](const QString& line) {
            std::fprintf(stderr, "%8.3f %s\n", double(clock.nsecsElapsed()) / 1e9, qPrintable(line));
        };
        QObject::connect(&job, &DownloadJob::statusLine, &app, say);
        QObject::connect(&job, &DownloadJob::segmentEnded, &app,
                         [say](const QString& part) { say(part + QStringLiteral(" ended")); });
        QObject::connect(&job, &DownloadJob::mergeStarted, &app, [say] { say(QStringLiteral("joining")); });
    }
    if (job.start(address, args[1], workers, size.size) != DownloadJob::StartResult::Started) {
        std::printf("failed start\n");
        return 1;
    }
    app.exec();
    std::fflush(stdout);
    return status;
}
