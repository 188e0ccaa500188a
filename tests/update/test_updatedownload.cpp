// The update window's download: starting a job with every failure text, the save dialog, a size
// request that keeps the window responsive, the outcome shown to the user, pause and resume, the
// progress bar.
#include "app/tformmain.h"
#include "config/remoteconfiguration.h"
#include "platform/httpcall.h"
#include "platform/testhooks.h"
#include "samplesite.h"
#include "services/lifecycle.h"
#include "services/windowrefs.h"
#include "testmain.h"
#include "testsupport.h"
#include "update/downloadjob.h"
#include "update/downloadoptions.h"
#include "update/tformupdate.h"
#include "updatearchive.h"
#include "updatetesthelpers.h"

#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cstdio>
#include <memory>

class TestUpdateDownload : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void failuresBeforeTheWorkers_data();
    void failuresBeforeTheWorkers();
    void emptyWorkerCountAsks();
    void cancelledSaveDialogStartsNothing_data();
    void cancelledSaveDialogStartsNothing();
    void sizeRequestKeepsTheWindowResponsive_data();
    void sizeRequestKeepsTheWindowResponsive();
    void successfulDownload();
    void failedDownloadIsShownAndCanBeRetried();
    void workerThatCannotStartCanBeRetried();
    void pauseAndResume();

private:
    QByteArray archiveUrl() const { return m_world.baseUrl() + "/update/qorvex.rar"; }
    int heads() const { return m_world.site().countRequests(QStringLiteral("HEAD /update/qorvex.rar")); }
    int gets() const { return m_world.site().countRequests(QStringLiteral("GET /update/qorvex.rar")); }
    template <class T> T* widget(const char* name) const { return control<T>(m_window.get(), name); }
    QLineEdit* addressBox() const { return widget<QLineEdit>("Edit1"); }
    QLineEdit* countBox() const { return widget<QLineEdit>("Edit2"); }
    QPushButton* downButton() const { return widget<QPushButton>("ButtonDown"); }
    QPushButton* pauseButton() const { return widget<QPushButton>("Button2"); }
    QPushButton* quitButton() const { return widget<QPushButton>("BtnQuit"); }
    QLabel* schedule() const { return widget<QLabel>("lblSchedule"); }
    QProgressBar* progressBar() const { return widget<QProgressBar>("ProgressBar1"); }
    QStringList statusLines() const;
    // The leave button's caption after a completed download, the one that ends the program.
    bool downloadCompleted() const { return quitButton()->text() == QStringLiteral("退出"); }

    ProgramWorld m_world{{.settingsDocument = false}};
    std::unique_ptr<TFormmain> m_main;
    std::unique_ptr<TFormupdate> m_window;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_proposed; // what the save dialog was offered
    QString m_chosen;   // what it answers ("" for Cancel)
    int m_endCount = 0; // how often the program would have ended
};

QStringList TestUpdateDownload::statusLines() const
{
    const auto* list = widget<QListWidget>("ListBox1");
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

namespace {
// Bytes in the files under a folder, its hidden ones and subfolders included.
qint64 bytesUnder(const QString& folder)
{
    qint64 total = 0;
    QDirIterator files(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (files.hasNext())
        total += files.nextFileInfo().size();
    return total;
}
} // namespace

void TestUpdateDownload::initTestCase()
{
    testHooks().downloadOptions = std::make_shared<DownloadOptions>(quickOptions());
}

void TestUpdateDownload::init()
{
    QVERIFY(m_world.reset());
    m_world.site().setSwitch(QStringLiteral("update.size"), QStringLiteral("400009"));
    m_dir = std::make_unique<QTemporaryDir>();
    m_chosen = m_dir->filePath(QStringLiteral("qorvex.rar"));
    m_proposed.clear();
    testHooks().answerSaveDialog = [this](const QString& proposed) {
        m_proposed = proposed;
        return m_chosen;
    };
    m_endCount = 0;
    testHooks().endProgram = [this] { ++m_endCount; };
    m_main = std::make_unique<TFormmain>();
    // The window's one fetch of the settings document (the site has none) is run now, so that it
    // is not among the requests a test sees.
    QPointer<HttpCall> fetch = m_main->startSettingsFetch();
    QTRY_VERIFY(fetch.isNull());
    m_world.site().clearRequestLog();
    Formmain = m_main.get();
    m_window = std::make_unique<TFormupdate>(m_main.get());
}

void TestUpdateDownload::cleanup()
{
    m_window.reset();
    m_main.reset();
    testHooks().answerSaveDialog = {};
    testHooks().endProgram = {};
    m_world.finish();
}

void TestUpdateDownload::failuresBeforeTheWorkers_data()
{
    QTest::addColumn<QString>("address"); // "site", "refused", "closing" or a literal address
    QTest::addColumn<QString>("workers");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("size");
    QTest::addColumn<bool>("errorBox");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("sizeRequests");
    QTest::addColumn<int>("downloads"); // archive requests
    const QString cannotConnect = QStringLiteral("下载过程取消或无法连接服务器,错误代码(%1)!");
    const QString failed = QStringLiteral("升级过程失败,请重新到主页下载更新!");
    QTest::newRow("no address") << ""
                                << "5"
                                << ""
                                << "" << true << "请输入下载地址!" << 0 << 0;
    QTest::newRow("count not a number") << "site"
                                        << "5a"
                                        << ""
                                        << "" << true << "请输入数字\r" << 0 << 0;
    QTest::newRow("more than ten") << "site"
                                   << "11"
                                   << ""
                                   << "" << true << "超过线程限制数，请重新开始！" << 0 << 0;
    QTest::newRow("not found") << "site"
                               << "5"
                               << "404"
                               << "" << true << "目标文件找不到！" << 1 << 0;
    QTest::newRow("redirect") << "site"
                              << "5"
                              << "redirect"
                              << "" << true << "目标文件找不到！" << 1 << 0;
    QTest::newRow("refused") << "refused"
                             << "5"
                             << ""
                             << "" << true << cannotConnect.arg(2) << 0 << 0;
    QTest::newRow("broken exchange") << "closing"
                                     << "5"
                                     << ""
                                     << "" << true << cannotConnect.arg(1) << 0 << 0;
    QTest::newRow("no worker") << "site"
                               << "0"
                               << ""
                               << "" << false << failed << 1 << 0;
    QTest::newRow("below zero") << "site"
                                << "-2"
                                << ""
                                << "" << false << failed << 1 << 0;
    QTest::newRow("empty archive") << "site"
                                   << "5"
                                   << ""
                                   << "0" << false << failed << 1 << 0;
    // Without a named length an empty reply is no update either, and nothing of it is kept.
    QTest::newRow("empty archive, no length named") << "site"
                                                    << "5"
                                                    << "no-length"
                                                    << "0" << false << failed << 1 << 1;
}

void TestUpdateDownload::failuresBeforeTheWorkers()
{
    QFETCH(QString, address);
    QFETCH(QString, workers);
    QFETCH(QString, fault);
    QFETCH(QString, size);
    QFETCH(bool, errorBox);
    QFETCH(QString, text);
    QFETCH(int, sizeRequests);
    QFETCH(int, downloads);
    ClosingServer closing;
    if (address == QLatin1String("site"))
        address = QString::fromLatin1(archiveUrl());
    else if (address == QLatin1String("refused"))
        address = QStringLiteral("http://127.0.0.1:%1/update/qorvex.rar").arg(closedPort());
    else if (address == QLatin1String("closing"))
        address = QString::fromLatin1(closing.url());
    m_world.site().setSwitch(QStringLiteral("update.fault"), fault);
    if (!size.isEmpty())
        m_world.site().setSwitch(QStringLiteral("update.size"), size);
    addressBox()->setText(address);
    countBox()->setText(workers);

    MessageBoxRecorder boxes;
    QTest::mouseClick(downButton(), Qt::LeftButton);
    QTRY_COMPARE(boxes.count(), 1); // after the size request's answer, where there is one
    QCOMPARE(boxes.texts(), QStringList{text});
    QCOMPARE(boxes.requests().first().kind, errorBox ? MessageBoxes::Kind::Error : MessageBoxes::Kind::Plain);
    QCOMPARE(heads(), sizeRequests);
    QCOMPARE(gets(), downloads);
    QVERIFY(downButton()->isEnabled());
    // Only the thread-limit failure empties the count box.
    QCOMPARE(countBox()->text(), workers == QLatin1String("11") ? QString() : workers);
    QCOMPARE(filesIn(m_dir->path()), QStringList{});
}

void TestUpdateDownload::emptyWorkerCountAsks()
{
    countBox()->clear();
    MessageBoxRecorder boxes;
    boxes.answerNext(MessageBoxes::Answer::No);
    QTest::mouseClick(downButton(), Qt::LeftButton);
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.requests().first().kind, MessageBoxes::Kind::YesNo);
    QCOMPARE(boxes.lastText(), QStringLiteral("请指定线程数，最大支持10个线程，默认为单线程下载！"));
    QCOMPARE(heads(), 0); // No stops the job before the size request
    QVERIFY(downButton()->isEnabled());

    boxes.clear();
    QTest::mouseClick(downButton(), Qt::LeftButton); // answered Yes: one worker
    QTRY_VERIFY_WITH_TIMEOUT(downloadCompleted(), 10000);
    QCOMPARE(heads(), 1);
    QCOMPARE(gets(), 1);
    QVERIFY(readAll(m_chosen) == UpdateArchive::bytes(0, 400009));
}

void TestUpdateDownload::cancelledSaveDialogStartsNothing_data()
{
    QTest::addColumn<QString>("workingFolder"); // empty: a temporary folder of the test's own
    QTest::addColumn<bool>("inDownloads");      // whether the dialog starts in the downloads folder
    QTest::newRow("writable working folder") << QString() << false;
    // Started from the Start menu the working folder is the program's, where users cannot write. Even
    // root cannot make a file in /proc (Z:\proc under Wine).
#ifdef Q_OS_WIN
    QTest::newRow("working folder not writable") << QStringLiteral("Z:/proc") << true;
#else
    QTest::newRow("working folder not writable") << QStringLiteral("/proc") << true;
#endif
}

void TestUpdateDownload::cancelledSaveDialogStartsNothing()
{
    QFETCH(QString, workingFolder);
    QFETCH(bool, inDownloads);
    const QString before = QDir::currentPath();
    QTemporaryDir own;
    if (!QDir::setCurrent(workingFolder.isEmpty() ? own.path() : workingFolder))
        QSKIP("no folder here that cannot be written");
    m_window = std::make_unique<TFormupdate>(m_main.get()); // the dialog's folder is chosen with the window
    const QString working = QDir::currentPath();
    QDir::setCurrent(before);

    m_chosen.clear();
    MessageBoxRecorder boxes;
    QTest::mouseClick(downButton(), Qt::LeftButton);
    QCOMPARE(boxes.count(), 0);
    QCOMPARE(m_world.site().requestLog(), QStringList{});
    QVERIFY(downButton()->isEnabled());
    const QString expected = inDownloads ? QStandardPaths::writableLocation(QStandardPaths::DownloadLocation) : working;
    QVERIFY(!expected.isEmpty());
    QCOMPARE(QFileInfo(m_proposed).absolutePath(), QFileInfo(expected).absoluteFilePath());
}

void TestUpdateDownload::sizeRequestKeepsTheWindowResponsive_data()
{
    QTest::addColumn<bool>("leave");
    QTest::newRow("server never answers") << false;
    QTest::newRow("window left while asking") << true;
}

// The size request goes out without holding up the window: its timers keep ticking while the server
// is silent, and leaving the window drops the request, which then reports nothing.
void TestUpdateDownload::sizeRequestKeepsTheWindowResponsive()
{
    QFETCH(bool, leave);
#ifdef Q_OS_WIN
    // Under Wine the window's timers stop for 2 s after it is left; not yet known whether Windows does too.
    if (leave)
        QSKIP("the window stalls for 2 s under Wine when it is left while asking (open)");
#endif
    SilentServer silent;
    addressBox()->setText(QString::fromLatin1(silent.baseUrl() + "/update/qorvex.rar"));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    MessageBoxRecorder boxes;
    StallMonitor monitor;
    QTest::mouseClick(downButton(), Qt::LeftButton); // how long the click holds the window is a gap too
    QTRY_COMPARE(silent.connections(), 1);
    QVERIFY(!downButton()->isEnabled()); // one job at a time
    QTest::qWait(1000);                  // within the stall limit no outcome comes
    QCOMPARE(boxes.count(), 0);          // still waiting for the answer
    if (leave) {
        QTest::mouseClick(quitButton(), Qt::LeftButton);
        QVERIFY(!m_window->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(silent.hangUps(), 1, 3000);
        QTest::qWait(300); // room for a message, which must not come
        QCOMPARE(boxes.count(), 0);
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(boxes.count(), 1, 10000); // the stall limit ends it
        QCOMPARE(boxes.lastText(), QStringLiteral("下载过程取消或无法连接服务器,错误代码(1)!"));
    }
    monitor.stop();
    std::printf("HOSTILE update size request %-30s %s\n", QTest::currentDataTag(), qPrintable(monitor.summary()));
    VERIFY_KEPT_UP(monitor);
    QVERIFY(downButton()->isEnabled()); // the job can be tried again
    QCOMPARE(silent.connections(), 1);  // and no segment was asked for
}

void TestUpdateDownload::successfulDownload()
{
    // Folder and name of the dialog are both honoured; the dialog takes a second of the user's time.
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("chosen")));
    const QString folder = m_dir->filePath(QStringLiteral("chosen"));
    m_chosen = folder + QStringLiteral("/新版.rar");
    testHooks().answerSaveDialog = [this](const QString& proposed) {
        m_proposed = proposed;
        QThread::msleep(1100);
        return m_chosen;
    };
    QList<QByteArray> counted;
    connect(m_window.get(), &TFormupdate::useCounted, this, [&](const QByteArray& path) { counted << path; });
    QString scheduleAtMessage, quitAtMessage;
    QStringList messages;
    QList<MessageBoxes::Kind> kinds;
    testHooks().answerMessageBox = [&](const MessageBoxes::Request& request) {
        messages << request.text;
        kinds << request.kind;
        scheduleAtMessage = schedule()->text();
        quitAtMessage = quitButton()->text();
        return MessageBoxes::Answer::Ok;
    };
    QTest::mouseClick(downButton(), Qt::LeftButton);
    QVERIFY(QFileInfo(m_proposed).fileName() == QStringLiteral("qorvex.rar"));
    QVERIFY(!downButton()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!messages.isEmpty(), 10000);
    testHooks().answerMessageBox = {};

    QCOMPARE(messages, QStringList{QStringLiteral("恭喜您了^_^,软件已成功更新,请再次打开更新好的程序吧!")});
    QCOMPARE(kinds, QList<MessageBoxes::Kind>{MessageBoxes::Kind::Plain});
    QCOMPARE(scheduleAtMessage, QStringLiteral("更新成功啦,请重新打开更新好的程序吧!"));
    QCOMPARE(quitAtMessage, QStringLiteral("退出"));
    const QRegularExpression elapsed(QStringLiteral("^更新成功啦,耗时(\\d{2,})秒请重新打开更新好的程序吧!$"));
    const QRegularExpressionMatch match = elapsed.match(schedule()->text());
    QVERIFY2(match.hasMatch(), qPrintable(schedule()->text()));
    QVERIFY(match.captured(1).toInt() >= 1); // counted from the click, the dialog included
    QVERIFY(schedule()->heightForWidth(schedule()->width()) <= schedule()->height()); // shown whole
    QVERIFY(!downButton()->isEnabled());
    QCOMPARE(progressBar()->value(), progressBar()->maximum());
    QVERIFY(progressBar()->maximum() > 0);

    QVERIFY(readAll(m_chosen) == UpdateArchive::bytes(0, 400009));
    QCOMPARE(filesIn(folder), QStringList{QStringLiteral("新版.rar")});
    QCOMPARE(filesIn(m_dir->path()), QStringList{QStringLiteral("chosen")});

    const QStringList lines = statusLines();
    for (int k = 1; k <= 5; ++k)
        QVERIFY(lines.contains(QStringLiteral("新版.rar%1download").arg(k)));
    QCOMPARE(lines.mid(lines.size() - 2),
             (QStringList{QStringLiteral("正在合并删除临时文件"), QStringLiteral("更新成功")}));
    QCOMPARE(widget<QListWidget>("ListBox1")->currentRow(), lines.size() - 1);

    QCOMPARE(counted, QList<QByteArray>{"/update/update.php"});

    // After a completed download leaving ends the program, even when the update was voluntary.
    remoteConfig().FrcUp = "0";
    QCOMPARE(m_endCount, 0);
    QTest::mouseClick(quitButton(), Qt::LeftButton);
    QCOMPARE(m_endCount, 1);
}

void TestUpdateDownload::failedDownloadIsShownAndCanBeRetried()
{
    m_world.site().setSwitch(QStringLiteral("update.fault"), QStringLiteral("drop"));
    MessageBoxRecorder boxes;
    QTest::mouseClick(downButton(), Qt::LeftButton);
    QVERIFY(!downButton()->isEnabled());
    const QString failure = QStringLiteral("下载文件出错，临时文件已删除，请重新下载！");
    QTRY_COMPARE_WITH_TIMEOUT(schedule()->text(), failure, 20000);
    QVERIFY(downButton()->isEnabled());
    QCOMPARE(statusLines().last(), failure);
    QCOMPARE(boxes.count(), 0);
    QCOMPARE(quitButton()->text(), QStringLiteral("退 出"));
    QCOMPARE(filesIn(m_dir->path()), QStringList{});
    // A failed download leaves the leaving rule as it was: the window only closes.
    m_window->show();
    QTest::mouseClick(quitButton(), Qt::LeftButton);
    QVERIFY(!m_window->isVisible());
    QCOMPARE(m_endCount, 0);

    m_world.site().setSwitch(QStringLiteral("update.fault"), QString());
    QTest::mouseClick(downButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(downloadCompleted(), 10000);
    QVERIFY(readAll(m_chosen) == UpdateArchive::bytes(0, 400009));
}

void TestUpdateDownload::workerThatCannotStartCanBeRetried()
{
    SKIP_UNLESS_A_WORKER_CAN_BE_REFUSED();
    m_world.site().setSwitch(QStringLiteral("update.rate"), QStringLiteral("200000"));
    putUsersFilesBeside(m_chosen);
    const QMap<QString, QByteArray> before = contentsOf(m_dir->path());
    testHooks().downloadOptions = std::make_shared<DownloadOptions>(refusingWorker(2));
    MessageBoxRecorder boxes;
    QTest::mouseClick(downButton(), Qt::LeftButton);
    // The workers start once the size request has been answered.
    QTRY_COMPARE_WITH_TIMEOUT(boxes.texts(), QStringList{QStringLiteral("创建线程失败!")}, 5000);
    testHooks().downloadOptions = std::make_shared<DownloadOptions>(quickOptions());
    QCOMPARE(boxes.requests().first().kind, MessageBoxes::Kind::Plain);
    QVERIFY(downButton()->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(contentsOf(m_dir->path()), before, 5000); // worker 1 was called off, its part is gone

    m_world.site().setSwitch(QStringLiteral("update.rate"), QString());
    QTest::mouseClick(downButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(downloadCompleted(), 10000);
    QVERIFY(readAll(m_chosen) == UpdateArchive::bytes(0, 400009));
}

void TestUpdateDownload::pauseAndResume()
{
    m_world.site().setSwitch(QStringLiteral("update.size"), QStringLiteral("500000"));
    m_world.site().setSwitch(QStringLiteral("update.rate"), QStringLiteral("150000"));
    countBox()->setText(QStringLiteral("2"));
    MessageBoxRecorder boxes;
    QTest::mouseClick(downButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(progressBar()->value() > 40000, 5000);
    QCOMPARE(progressBar()->maximum(), 500000);

    QTest::mouseClick(pauseButton(), Qt::LeftButton);
    QCOMPARE(pauseButton()->text(), QStringLiteral("开始下载"));
    QTest::qWait(300);                             // transfers in flight are broken off
    const qint64 held = bytesUnder(m_dir->path()); // what the parts hold so far
    const int bar = progressBar()->value();
    const int requests = gets();
    QTest::qWait(700); // nothing moves while the download is held
    QCOMPARE(bytesUnder(m_dir->path()), held);
    QCOMPARE(gets(), requests); // held workers do not even reconnect
    QCOMPARE(progressBar()->value(), bar);
    QVERIFY(held > 0 && held < 500000);
    QVERIFY(bar < progressBar()->maximum());

    QTest::mouseClick(pauseButton(), Qt::LeftButton);
    QCOMPARE(pauseButton()->text(), QStringLiteral("暂停下载"));
    QTRY_VERIFY_WITH_TIMEOUT(downloadCompleted(), 15000);
    QCOMPARE(progressBar()->value(), 500000);
    QVERIFY(readAll(m_chosen) == UpdateArchive::bytes(0, 500000));
}

QUVO_TEST_MAIN(TestUpdateDownload)
#include "test_updatedownload.moc"
