#pragma once

#include "update/downloadoptions.h"

#include "localhttpserver.h"
#include "rawsocket.h"
#include "testsupport.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QStringList>
#include <QTest>
#include <QThread>

#include <atomic>
#include <thread>

// Short limits, so that the fault tests stay quick.
inline DownloadOptions quickOptions()
{
    DownloadOptions options;
    options.segmentLimits = {.connect = std::chrono::seconds(2), .stall = std::chrono::seconds(3)};
    options.sizeRequestLimits = {
        .connect = std::chrono::seconds(2), .stall = std::chrono::seconds(3), .total = std::chrono::seconds(5)};
    options.maxStalledAttempts = 3;
    options.retryDelayMs = 10;
    return options;
}

// Windows starts a thread of any stack size: there no worker can be made to fail to start, and a
// test of that skips.
#ifdef Q_OS_WIN
#define SKIP_UNLESS_A_WORKER_CAN_BE_REFUSED()                                                                          \
    QSKIP("Windows starts a thread of any stack size: no worker can be made to fail to start")
#else
#define SKIP_UNLESS_A_WORKER_CAN_BE_REFUSED() (void)0
#endif

// The quick options, under which the system refuses to start the worker of `segment` (given a stack
// below any it allows) in the `round`th round of workers that has one, or in every round (0); the
// refusal's warning is expected.
inline DownloadOptions refusingWorker(int segment, int round = 0)
{
    DownloadOptions options = quickOptions();
    options.beforeWorkerStart = [segment, round, seen = 0](QThread& worker, int started) mutable {
        if (started == segment && (round == 0 || ++seen == round))
            worker.setStackSize(1);
    };
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("^QThread::start: ")));
    return options;
}

// Files and folders, hidden ones included: a download must leave nothing behind but its target.
inline QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every entry of a folder with what it holds (folders hold nothing here), hidden ones included.
inline QMap<QString, QByteArray> contentsOf(const QString& folder)
{
    QMap<QString, QByteArray> contents;
    for (const QString& name : filesIn(folder))
        contents.insert(name, readAll(QDir(folder).filePath(name)));
    return contents;
}

// Files of the user's that happen to bear the names of a download's parts and joining file.
inline void putUsersFilesBeside(const QString& targetPath)
{
    for (const char* suffix : {"1", "2", "3", ".join"}) {
        QFile file(targetPath + QLatin1String(suffix));
        if (file.open(QIODevice::WriteOnly))
            file.write("the user's own " + file.fileName().toUtf8());
    }
}

// Accepts connections and closes them at once without a word: a broken exchange.
struct ClosingServer {
    int listener = -1;
    int port = 0;
    std::atomic<bool> stopping = false;
    std::thread thread;
    ClosingServer()
    {
        listener = RawSocket::open();
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener, 16);
        socklen_t length = sizeof address;
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        thread = std::thread([this] {
            for (;;) {
                const int connection = ::accept(listener, nullptr, nullptr);
                if (stopping || connection < 0)
                    return;
                RawSocket::close(connection);
            }
        });
    }
    ~ClosingServer()
    {
        stopping = true;
        ::shutdown(listener, RawSocket::kShutBoth);
        RawSocket::close(listener);
        thread.join();
    }
    QByteArray url() const { return "http://127.0.0.1:" + QByteArray::number(port) + "/update/qorvex.rar"; }
};
