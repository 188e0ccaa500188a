// The settings document end to end: fetched from the sample site one second after the main
// window's creation, read, applied in order; failures silent; a silent server freezes nothing.
#include "app/tformmain.h"
#include "app/windowrefs.h"
#include "config/configdocumentfetch.h"
#include "config/fetchremoteconfiguration.h"
#include "config/remoteconfiguration.h"
#include "platform/counterbrowser.h"
#include "samplesite.h"
#include "update/tformupdate.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include <memory>

class TestRemoteFetch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void timerFetchesOnceAfterOneSecond();
    void documentIsAppliedInOrder();
    void bulletinWord_data();
    void bulletinWord();
    void failuresLeaveEverythingAlone_data();
    void failuresLeaveEverythingAlone();
    void wrongKeyReadsAsNoVersion();
    void silentServerLeavesTheWindowResponsive();

private:
    // Starts a fetch and waits until it has been read and applied (or dropped).
    bool fetchAndWait();
    void makeMainWindow();

    SampleSite m_site;
    std::unique_ptr<TFormmain> m_main;
};

void TestRemoteFetch::initTestCase()
{
    QVERIFY(m_site.start() > 0);
}

void TestRemoteFetch::makeMainWindow()
{
    m_main = std::make_unique<TFormmain>();
    Formmain = m_main.get();
}

void TestRemoteFetch::init()
{
    qputenv("QUVO_PRODUCT_SERVER", m_site.baseUrl());
    RemoteConfig() = RemoteConfiguration{};
    makeMainWindow();
    m_main->Tmrchkupdate.stop(); // the tests fetch themselves, except the timer test
    m_site.clearRequestLog();
}

void TestRemoteFetch::cleanup()
{
    m_main.reset();
    RemoteConfig() = RemoteConfiguration{};
    m_site.setSwitch(QStringLiteral("settings"), {});
    m_site.setSwitch(QStringLiteral("settings.BulletinWord"), QStringLiteral("0"));
    m_site.setSwitch(QStringLiteral("settings.Version"), QStringLiteral("1.0.1.0"));
    m_site.setSwitch(QStringLiteral("settings.FrcUp"), QStringLiteral("0"));
}

bool TestRemoteFetch::fetchAndWait()
{
    QPointer<ConfigDocumentFetch> fetch = FetchRemoteConfiguration();
    QElapsedTimer timer;
    timer.start();
    while (fetch && timer.elapsed() < 10000)
        QTest::qWait(10);
    QTest::qWait(20); // the reading is queued before the fetch's own deletion; let it settle
    return fetch.isNull();
}

void TestRemoteFetch::timerFetchesOnceAfterOneSecond()
{
    m_main.reset();
    makeMainWindow();
    QVERIFY(m_main->Tmrchkupdate.isActive());
    QTest::qWait(700);
    QCOMPARE(m_site.countRequests(QStringLiteral("GET /update/entcry.txt")), 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_main->statusPanelText(2), QStringLiteral("当前版本:1.0.1.0    您的版本已是最新!"),
                              5000);
    QVERIFY(!m_main->Tmrchkupdate.isActive());
    QTest::qWait(1500);
    QCOMPARE(m_site.countRequests(QStringLiteral("GET /update/entcry.txt")), 1);
    QVERIFY(CounterBrowser::waitForIdle(5000));
    QCOMPARE(m_site.countRequests(QStringLiteral("GET /update/StNum.php")), 1);
}

void TestRemoteFetch::documentIsAppliedInOrder()
{
    m_site.setSwitch(QStringLiteral("settings.Version"), QStringLiteral("1.0.2.0"));
    m_site.setSwitch(QStringLiteral("settings.BulletinWord"), QStringLiteral("速度与激情 ABC"));
    m_site.setSwitch(QStringLiteral("settings.FrcUp"), QStringLiteral("0"));
    m_main->EdtSearch->setText(QStringLiteral("before"));

    QPointer<ConfigDocumentFetch> fetch = FetchRemoteConfiguration();
    QCOMPARE(RemoteConfig().Version, QByteArray()); // nothing filled before the document arrives

    // The update window is modal: it is looked at and closed from inside its own loop.
    QString boxWhileWindowOpen;
    QString quitCaption;
    QString versionLine;
    QList<bool> mirrors;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
        auto* window = qobject_cast<TFormupdate*>(QApplication::activeModalWidget());
        if (!window)
            return;
        boxWhileWindowOpen = m_main->EdtSearch->text();
        quitCaption = window->BtnQuit->text();
        versionLine = window->lblupnote->text();
        mirrors = {window->BtnBypass1->isVisible(), window->BtnBypass2->isVisible(), window->BtnBypass3->isVisible()};
        window->close();
    });
    watcher.start(20);
    QTRY_VERIFY_WITH_TIMEOUT(fetch.isNull(), 10000);
    QCOMPARE(versionLine, QStringLiteral("版本1.0.2.0  更新说明"));
    QCOMPARE(RemoteConfig().updateline1, m_site.baseUrl() + "/update/mirror1/");
    QCOMPARE(mirrors, (QList<bool>{true, false, true}));    // updateline2 is "0" in the template
    QCOMPARE(boxWhileWindowOpen, QStringLiteral("before")); // the word waits for the update window
    QCOMPARE(quitCaption, QStringLiteral("下次再说!"));
    QCOMPARE(m_main->EdtSearch->text(), QStringLiteral("速度与激情 abc"));
    QCOMPARE(m_main->statusPanelText(2), QStringLiteral("当前版本:1.0.1.0    服务器有新版本咯!!!"));
    QCOMPARE(m_site.countRequests(QStringLiteral("GET /update/entcry.txt")), 1);
}

void TestRemoteFetch::bulletinWord_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("box");
    QTest::newRow("0 leaves the box alone") << QStringLiteral("0") << QStringLiteral("typed");
    QTest::newRow("missing empties the box") << QStringLiteral("(missing)") << QString();
    QTest::newRow("empty empties the box") << QString() << QString();
    QTest::newRow("00 is a word") << QStringLiteral("00") << QStringLiteral("00");
}

void TestRemoteFetch::bulletinWord()
{
    QFETCH(QString, word);
    QFETCH(QString, box);
    m_site.setSwitch(QStringLiteral("settings.BulletinWord"), word);
    m_main->EdtSearch->setText(QStringLiteral("typed"));
    QVERIFY(fetchAndWait());
    QCOMPARE(RemoteConfig().Version, QByteArray("1.0.1.0"));
    QCOMPARE(m_main->EdtSearch->text(), box);
}

void TestRemoteFetch::failuresLeaveEverythingAlone_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("serverDown");
    QTest::newRow("no document") << QStringLiteral("none") << false;
    QTest::newRow("error page") << QStringLiteral("garbage") << false;
    QTest::newRow("server down") << QString() << true;
}

void TestRemoteFetch::failuresLeaveEverythingAlone()
{
    QFETCH(QString, mode);
    QFETCH(bool, serverDown);
    m_site.setSwitch(QStringLiteral("settings"), mode);
    if (serverDown) {
        QTcpServer closed; // a port nobody listens on once this is gone
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        qputenv("QUVO_PRODUCT_SERVER", "http://127.0.0.1:" + QByteArray::number(port));
    }
    m_main->EdtSearch->setText(QStringLiteral("typed"));
    QVERIFY(fetchAndWait());
    QCOMPARE(m_main->statusPanelText(2), QString());
    QCOMPARE(m_main->EdtSearch->text(), QStringLiteral("typed"));
    QVERIFY(!QApplication::activeModalWidget());
    const RemoteConfiguration& config = RemoteConfig();
    for (const QByteArray* field : {&config.Version, &config.FrcUp, &config.updateline1, &config.BulletinWord,
                                    &config.AdverDef, &config.AttentionAdr})
        QVERIFY(field->isEmpty());
}

void TestRemoteFetch::wrongKeyReadsAsNoVersion()
{
    m_site.setSwitch(QStringLiteral("settings"), QStringLiteral("wrong-key"));
    m_main->EdtSearch->setText(QStringLiteral("typed"));
    QVERIFY(fetchAndWait());
    QCOMPARE(m_main->statusPanelText(2), QStringLiteral("提示：无法连接服务器!!"));
    QCOMPARE(RemoteConfig().Version, QByteArray());
    QCOMPARE(m_main->EdtSearch->text(), QString()); // no BulletinWord tags: the box is emptied
}

void TestRemoteFetch::silentServerLeavesTheWindowResponsive()
{
    QTcpServer silent; // accepts connections (the system does) and never answers
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    qputenv("QUVO_PRODUCT_SERVER", "http://127.0.0.1:" + QByteArray::number(silent.serverPort()));

    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
    ticker.start(10);
    QElapsedTimer clock;
    clock.start();
    QPointer<ConfigDocumentFetch> fetch = FetchRemoteConfiguration();
    QVERIFY(clock.elapsed() < 200);
    QTest::qWait(1500);
    QVERIFY(fetch && fetch->isRunning());
    QVERIFY2(ticks >= 60, qPrintable(QString::number(ticks)));
    QCOMPARE(m_main->statusPanelText(2), QString());

    // Closing the window gives up the request without waiting for its time limits.
    clock.restart();
    m_main.reset();
    QVERIFY(fetch.isNull());
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
}

QTEST_MAIN(TestRemoteFetch)
#include "test_remotefetch.moc"
