// update-fetch: the program's update download without its window.
//   update-fetch [-v] [-n WORKERS] ADDRESS TARGET   asks for the size, downloads in WORKERS ranges, joins
//   update-fetch --join TARGET SIZE PART...    joins existing part files (they are deleted afterwards)
// Prints one line: "ok <bytes> <seconds>..." or "failed <reason>"; the exit status is 0 only on success.
#include "update/downloadjob.h"
#include "update/mergepartfiles.h"
#include "update/requestfilesize.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <cstdio>
#include <cstring>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: update-fetch [-v] [-n WORKERS] ADDRESS TARGET\n"
                         "       update-fetch --join TARGET SIZE PART...\n");
    return 2;
}

int join(int argc, char* argv[])
{
    QStringList args;
    for (int i = 0; i < argc; ++i) // argv[0] is "--join"
        args << QString::fromLocal8Bit(argv[i]);
    if (args.size() < 4)
        return usage();
    QElapsedTimer clock;
    clock.start();
    const qint64 size = args[2].toLongLong();
    // What MergePartFiles does, in its two steps, so that each can be timed.
    const bool joined = joinPartFiles(args[1], args.mid(3), size);
    const double joining = double(clock.nsecsElapsed()) / 1e9;
    removePartFiles(args.mid(3));
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
    // Joining needs no event loop; it is timed against cat, so it skips the application set-up too.
    if (argc > 1 && std::strcmp(argv[1], "--join") == 0)
        return join(argc - 1, argv + 1);
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    bool verbose = false;
    if (args.size() > 1 && args[1] == QLatin1String("-v")) {
        verbose = true;
        args.remove(1);
    }
    int workers = 5;
    if (args.size() > 2 && args[1] == QLatin1String("-n")) {
        workers = args[2].toInt();
        args.remove(1, 2);
    }
    if (args.size() != 3 || workers < 1 || workers > 10)
        return usage();

    QElapsedTimer clock;
    clock.start();
    const QByteArray address = args[1].toUtf8();
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
    if (job.start(address, args[2], workers, size.size) != DownloadJob::StartResult::Started) {
        std::printf("failed start\n");
        return 1;
    }
    app.exec();
    std::fflush(stdout);
    return status;
}
