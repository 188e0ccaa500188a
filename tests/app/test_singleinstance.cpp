// One instance per session: the lock, its takeover after a dead owner, the request to come forward.
#include "platform/singleinstance.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <latch>
#include <thread>
#include <vector>

namespace {
const QString kName = QStringLiteral("TheStandard");

// Sends the request of a later start from a thread of its own, as another process would: the
// first instance answers on this thread's event loop.
bool notifyFromElsewhere()
{
    bool answered = false;
    std::thread later([&answered] {
        SingleInstance second(kName);
        answered = second.notifyFirstInstance(3000);
    });
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 4000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (answered)
            break;
    }
    later.join();
    return answered;
}
} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void laterStartIsRefusedAndAsksTheFirstToComeForward();
    void noFirstInstanceMeansNoAnswer();
    void strangersOnTheSocketAreIgnored();
    void lockOfADeadProcessIsTakenOver();
    void lockOfALiveProcessIsKeptHoweverOld();
    void simultaneousStartsGiveOneInstance();

private:
    std::unique_ptr<QTemporaryDir> m_runtime;
};

void TestSingleInstance::init()
{
    m_runtime = std::make_unique<QTemporaryDir>();
    QFile::setPermissions(m_runtime->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", m_runtime->path().toUtf8());
}

void TestSingleInstance::cleanup()
{
    m_runtime.reset();
}

void TestSingleInstance::laterStartIsRefusedAndAsksTheFirstToComeForward()
{
    SingleInstance first(kName);
    QVERIFY(first.claim());
    QVERIFY(first.lockFilePath().startsWith(m_runtime->path()));
    QVERIFY(QFile::exists(first.lockFilePath()));
    QSignalSpy forward(&first, &SingleInstance::activationRequested);

    SingleInstance second(kName);
    QVERIFY(!second.claim());
    QVERIFY(notifyFromElsewhere());
    QTRY_COMPARE(forward.size(), 1);
    QVERIFY(notifyFromElsewhere());
    QTRY_COMPARE(forward.size(), 2);
}

void TestSingleInstance::noFirstInstanceMeansNoAnswer()
{
    SingleInstance alone(kName);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!alone.notifyFirstInstance(1000));
    QVERIFY(clock.elapsed() < 1500);
}

void TestSingleInstance::strangersOnTheSocketAreIgnored()
{
    SingleInstance first(kName);
    QVERIFY(first.claim());
    QSignalSpy forward(&first, &SingleInstance::activationRequested);
    std::atomic<bool> done = false;
    std::thread stranger([&first, &done] {
        QLocalSocket socket;
        socket.connectToServer(first.socketPath());
        if (socket.waitForConnected(2000)) {
            socket.write(QByteArray(4096, 'x')); // no line, far too long: dropped
            socket.waitForBytesWritten(2000);
            socket.waitForDisconnected(3000);
        }
        done = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(done, 5000);
    stranger.join();
    QCOMPARE(forward.size(), 0);
}

void TestSingleInstance::lockOfADeadProcessIsTakenOver()
{
    // A lock file written by a process that has ended (the way a killed instance leaves it).
    QProcess gone;
    gone.start(QStringLiteral("true"), {});
    QVERIFY(gone.waitForStarted());
    const qint64 deadPid = gone.processId();
    QVERIFY(gone.waitForFinished());

    SingleInstance instance(kName);
    {
        QLockFile model(m_runtime->filePath(QStringLiteral("model.lock")));
        QVERIFY(model.tryLock(0));
        QFile modelFile(m_runtime->filePath(QStringLiteral("model.lock")));
        QVERIFY(modelFile.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = modelFile.readAll().split('\n');
        lines[0] = QByteArray::number(deadPid);
        QFile left(instance.lockFilePath());
        QVERIFY(left.open(QIODevice::WriteOnly));
        left.write(lines.join('\n'));
    }
    // Its socket file is left behind as well.
    QFile staleSocket(instance.socketPath());
    QVERIFY(staleSocket.open(QIODevice::WriteOnly));
    staleSocket.close();

    QVERIFY(instance.claim());
    QSignalSpy forward(&instance, &SingleInstance::activationRequested);
    QVERIFY(notifyFromElsewhere());
    QTRY_COMPARE(forward.size(), 1);
}

void TestSingleInstance::lockOfALiveProcessIsKeptHoweverOld()
{
    SingleInstance first(kName);
    QVERIFY(first.claim());
    // A run of an hour: the lock file's age must not make it look abandoned.
    QFile lockFile(first.lockFilePath());
    QVERIFY(lockFile.open(QIODevice::ReadWrite));
    QVERIFY(lockFile.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    lockFile.close();

    SingleInstance second(kName);
    QVERIFY(!second.claim());
}

void TestSingleInstance::simultaneousStartsGiveOneInstance()
{
    constexpr int kStarts = 8;
    std::atomic<int> winners = 0;
    std::latch ready(kStarts);
    std::latch finished(kStarts);
    std::vector<std::thread> starts;
    for (int i = 0; i < kStarts; ++i) {
        starts.emplace_back([&] {
            SingleInstance instance(kName);
            ready.arrive_and_wait();
            if (instance.claim())
                ++winners;
            // Keep the lock until every start has tried.
            finished.arrive_and_wait();
        });
    }
    for (std::thread& start : starts)
        start.join();
    QCOMPARE(winners.load(), 1);
}

QTEST_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
