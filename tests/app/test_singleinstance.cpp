// One instance per session: the lock, its takeover after a dead owner, the request to come forward
// (Windows: the named mutex, the switch to the window with the caption).
#include "platform/singleinstance.h"
#include "testmain.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QWidget>

#include <atomic>
#include <thread>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
const QString kName = QStringLiteral("TheStandard");

#ifndef Q_OS_WIN
// A later start's request, sent from another thread as another process would send it, while
// this thread's event loop lets the first instance answer.
bool notifyFromElsewhere()
{
    std::atomic<int> answer = -1;
    std::thread later([&answer] { answer = SingleInstance(kName).notifyFirstInstance(3000) ? 1 : 0; });
    while (answer < 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    later.join();
    return answer == 1;
}
#endif
} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
#ifdef Q_OS_WIN
    void mutexRefusesLaterStartsWhileTheFirstLives();
    void laterStartSwitchesToTheWindowWithTheCaption();
#else
    void laterStartIsRefusedAndAsksTheFirstToComeForward();
    void lockOfADeadProcessIsTakenOver();
    void eachDesktopSessionHasItsOwnInstance();
#endif
    void simultaneousStartsGiveOneInstance();
#ifndef Q_OS_WIN
    void folderAnotherUserMadeIsNotUsed();
#endif

private:
    std::unique_ptr<QTemporaryDir> m_runtime;
};

void TestSingleInstance::init()
{
    m_runtime = std::make_unique<QTemporaryDir>();
    QFile::setPermissions(m_runtime->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", m_runtime->path().toUtf8());
}

#ifdef Q_OS_WIN

void TestSingleInstance::mutexRefusesLaterStartsWhileTheFirstLives()
{
    {
        SingleInstance first(kName);
        QVERIFY(first.claim());
        QVERIFY(first.claim()); // asking again changes nothing
        QVERIFY(!SingleInstance(kName).claim());
        QVERIFY(SingleInstance(kName + QStringLiteral("-other")).claim());
    }
    // The first one ended: its mutex is gone with it.
    QVERIFY(SingleInstance(kName).claim());
}

void TestSingleInstance::laterStartSwitchesToTheWindowWithTheCaption()
{
    const QString caption = QStringLiteral("Quvo盒子 single instance test");
    QWidget first;
    first.setWindowTitle(caption);
    first.show();
    QWidget other;
    other.setWindowTitle(QStringLiteral("another window"));
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));

    SingleInstance later(kName);
    QVERIFY(!later.notifyFirstInstance());              // no caption to look for
    later.setWindowCaption(caption + QLatin1Char(' ')); // only the exact caption counts
    QVERIFY(!later.notifyFirstInstance());
    QVERIFY(other.isActiveWindow());
    later.setWindowCaption(caption);
    QVERIFY(later.notifyFirstInstance());
    QTRY_VERIFY(first.isActiveWindow());
}

#else

void TestSingleInstance::laterStartIsRefusedAndAsksTheFirstToComeForward()
{
    QVERIFY(!notifyFromElsewhere()); // nobody there yet

    SingleInstance first(kName);
    QVERIFY(first.claim());
    QVERIFY(first.lockFilePath().startsWith(m_runtime->path()));
    QSignalSpy forward(&first, &SingleInstance::activationRequested);
    QVERIFY(!SingleInstance(kName).claim());
    QVERIFY(notifyFromElsewhere());
    QTRY_COMPARE(forward.size(), 1);
    QVERIFY(notifyFromElsewhere());
    QTRY_COMPARE(forward.size(), 2);
}

void TestSingleInstance::lockOfADeadProcessIsTakenOver()
{
    QProcess gone;
    gone.start(QStringLiteral("true"), {});
    QVERIFY(gone.waitForStarted());
    const qint64 deadPid = gone.processId();
    QVERIFY(gone.waitForFinished());

    // What a killed instance leaves: its lock file (written the way QLockFile writes one, with
    // the dead process's id) and its socket file.
    SingleInstance instance(kName);
    const QString model = m_runtime->filePath(QStringLiteral("model.lock"));
    {
        QLockFile lock(model);
        QVERIFY(lock.tryLock(0));
        QFile modelFile(model);
        QVERIFY(modelFile.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = modelFile.readAll().split('\n');
        lines[0] = QByteArray::number(deadPid);
        QFile left(instance.lockFilePath());
        QVERIFY(left.open(QIODevice::WriteOnly));
        left.write(lines.join('\n'));
    }
    QFile staleSocket(instance.socketPath());
    QVERIFY(staleSocket.open(QIODevice::WriteOnly));
    staleSocket.close();

    QVERIFY(instance.claim());
    QSignalSpy forward(&instance, &SingleInstance::activationRequested);
    QVERIFY(notifyFromElsewhere());
    QTRY_COMPARE(forward.size(), 1);
}

void TestSingleInstance::eachDesktopSessionHasItsOwnInstance()
{
    const QByteArray display = qgetenv("DISPLAY");
    const auto restore = qScopeGuard([&] { qputenv("DISPLAY", display); });
    qunsetenv("WAYLAND_DISPLAY"); // the X display names the session here
    qputenv("DISPLAY", ":41");
    SingleInstance first(kName);
    QVERIFY(first.claim());
    qputenv("DISPLAY", ":41.0"); // the same display, its screen named
    QVERIFY(!SingleInstance(kName).claim());
    qputenv("DISPLAY", "../x/:42");
    SingleInstance second(kName);
    QVERIFY(second.claim());
    QCOMPARE(QFileInfo(second.lockFilePath()).path(), m_runtime->path()); // whatever the display holds
}

#endif

void TestSingleInstance::simultaneousStartsGiveOneInstance()
{
    constexpr int kStarts = 8;
    std::atomic<int> winners = 0;
    Meeting ready(kStarts), tried(kStarts);
    std::vector<std::unique_ptr<QThread>> starts;
    for (int i = 0; i < kStarts; ++i) {
        starts.emplace_back(QThread::create([&] {
            SingleInstance instance(kName);
            ready.arriveAndWait();
            winners += instance.claim() ? 1 : 0;
            tried.arriveAndWait(); // the winner keeps its lock until all have tried
        }));
        starts.back()->start();
    }
    for (auto& start : starts)
        QVERIFY(start->wait(10000));
    QCOMPARE(winners.load(), 1);
}

#ifndef Q_OS_WIN
// Without a runtime folder the lock goes to a folder of the user's own in the temporary folder.
// Another local user can make that name first (or a link of that name): it is never used.
void TestSingleInstance::folderAnotherUserMadeIsNotUsed()
{
    if (::getuid() != 0)
        QSKIP("needs root to make folders of another user");
    QTemporaryDir temp;
    const QByteArray tmpdir = qgetenv("TMPDIR");
    const auto restore = qScopeGuard([&] {
        qputenv("TMPDIR", tmpdir);
        qunsetenv("XDG_CACHE_HOME");
    });
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", temp.path().toUtf8());
    qputenv("XDG_CACHE_HOME", temp.filePath(QStringLiteral("cache")).toUtf8());
    const QString ours = temp.filePath(QStringLiteral("quvo-runtime-0"));
    const auto foreignFolder = [](const QString& path) {
        return QDir().mkpath(path) && ::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0 &&
               ::chmod(QFile::encodeName(path).constData(), 0777) == 0;
    };
    QVERIFY(foreignFolder(temp.filePath(QStringLiteral("runtime-root")))); // Qt's own fallback refuses it

    // Another user's folder: the lock goes to the cache instead, closed to others.
    QVERIFY(foreignFolder(ours));
    {
        SingleInstance instance(kName);
        QVERIFY(instance.claim());
        const QFileInfo folder(QFileInfo(instance.lockFilePath()).path());
        QCOMPARE(folder.filePath(), temp.filePath(QStringLiteral("cache/quvo-runtime")));
        QCOMPARE(folder.permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ExeOther | QFile::ReadGroup |
                                         QFile::WriteGroup | QFile::ExeGroup),
                 QFile::Permissions());
        QVERIFY(QDir(ours).isEmpty());
    }
    // A link of that name, to a folder of the user's own: not followed either.
    QVERIFY(QDir(ours).removeRecursively());
    QVERIFY(QDir().mkpath(temp.filePath(QStringLiteral("elsewhere"))));
    QVERIFY(QFile::link(temp.filePath(QStringLiteral("elsewhere")), ours));
    {
        SingleInstance instance(kName);
        QVERIFY(instance.claim());
        QVERIFY(!instance.lockFilePath().startsWith(ours));
    }
    // The user's own folder, left open: closed and used.
    QVERIFY(QFile::remove(ours));
    QVERIFY(QDir().mkpath(ours) && ::chmod(QFile::encodeName(ours).constData(), 0777) == 0);
    SingleInstance instance(kName);
    QVERIFY(instance.claim());
    QCOMPARE(QFileInfo(instance.lockFilePath()).path(), ours);
    QCOMPARE(QFileInfo(ours).permissions() & QFile::WriteOther, QFile::Permissions());
}
#endif

#ifdef Q_OS_WIN
QUVO_TEST_MAIN(TestSingleInstance) // the caption test shows windows
#else
QUVO_TEST_GUILESS_MAIN(TestSingleInstance)
#endif
#include "test_singleinstance.moc"
