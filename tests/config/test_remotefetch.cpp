// The settings document end to end against the sample site: fetched one second after the main
// window's creation, read, applied in order (the update window does not hold up the event loop);
// failures silent; a silent server freezes nothing.
#include "app/applyremoteconfiguration.h"
#include "app/tformmain.h"
#include "config/remoteconfiguration.h"
#include "platform/httpcall.h"
#include "platform/testhooks.h"
#include "platform/webview.h"
#include "samplesite.h"
#include "services/buildinfo.h"
#include "services/lifecycle.h"
#include "services/windowrefs.h"
#include "testmain.h"
#include "testsupport.h"
#include "update/tformupdate.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include <memory>

class TestRemoteFetch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void timerFetchesOnceAfterOneSecond();
    void documentIsAppliedInOrder();
    void remainingStepsFollowTheUpdateWindow_data();
    void remainingStepsFollowTheUpdateWindow();
    void bulletinWord_data();
    void bulletinWord();
    void advertisementFromTheDocument();
    void failures_data();
    void failures();
    void silentServerLeavesTheWindowResponsive();

private:
    void setSwitch(const char* name, const QString& value)
    {
        m_world.site().setSwitch(QString::fromLatin1(name), value);
    }

    ProgramWorld m_world{{}};
    std::unique_ptr<TFormmain> m_main;
};

namespace {
// Runs the settings timer's step at once (the window takes it once per run, so the timer does not
// fetch again) and returns the request it started, which belongs to the window.
HttpCall* startFetch(TFormmain* main)
{
    return main->startSettingsFetch();
}

QString versionStatus(const TFormmain* main)
{
    return control<QLabel>(main, "statPanel2")->text();
}

QString keywordBox(const TFormmain* main)
{
    return control<QLineEdit>(main, "EdtSearch")->text();
}

// Starts a fetch and waits until it has been read and applied (or dropped).
bool fetchAndWait(TFormmain* main)
{
    QPointer<HttpCall> fetch = startFetch(main);
    return QTest::qWaitFor([&] { return fetch.isNull(); }, 10000);
}
} // namespace

void TestRemoteFetch::init()
{
    QVERIFY(m_world.reset());
    setSwitch("settings.BulletinWord", QStringLiteral("0"));
    setSwitch("settings.Version", QString::fromLatin1(BuildInfo::version));
    setSwitch("settings.AdverDef", QStringLiteral("0"));
    setSwitch("settings.AdShowtime", QStringLiteral("50000"));
    m_main = mainWindowWithTypedKeyword();
}

void TestRemoteFetch::cleanup()
{
    m_main.reset();
    m_world.finish();
}

void TestRemoteFetch::timerFetchesOnceAfterOneSecond()
{
    QTest::qWait(700); // not fetched before the timer's second
    QCOMPARE(m_world.site().countRequests(QStringLiteral("GET /update/entcry.txt")), 0);
    QTRY_COMPARE_WITH_TIMEOUT(versionStatus(m_main.get()),
                              QStringLiteral("当前版本:%1    您的版本已是最新!").arg(QLatin1String(BuildInfo::version)),
                              5000);
    QTest::qWait(1500); // room for a second fetch, which must not come
    QCOMPARE(m_world.site().countRequests(QStringLiteral("GET /update/entcry.txt")), 1);
}

void TestRemoteFetch::documentIsAppliedInOrder()
{
    setSwitch("settings.Version", QStringLiteral("1.0.2.0"));
    setSwitch("settings.BulletinWord", QStringLiteral("速度与激情 ABC"));
    setSwitch("settings.AdverDef", QStringLiteral("1"));
    setSwitch("settings.SearchSites", QStringLiteral("HTTP://Mirror.Example|http://b.example:8080/kitty"));
    QPointer<HttpCall> fetch = startFetch(m_main.get());
    QCOMPARE(remoteConfig().Version, QByteArray()); // nothing filled before the document arrives

    // The update window is open and modal, yet the completion that opened it has returned: its
    // request is gone (a modal loop inside the completion would keep it until the window closed).
    QTRY_VERIFY_WITH_TIMEOUT(fetch.isNull(), 10000);
    QVERIFY(Formupdate && Formupdate->isVisible() && Formupdate->isModal());
    QCOMPARE(QApplication::activeModalWidget(), Formupdate.data());
    QCOMPARE(control<QLabel>(Formupdate, "lblupnote")->text(), QStringLiteral("版本1.0.2.0  更新说明"));
    QCOMPARE(remoteConfig().updateline1, m_world.baseUrl() + "/update/mirror1/");
    QCOMPARE(remoteConfig().SearchSites, QByteArray("http://mirror.example|http://b.example:8080/kitty"));
    // updateline2 is "0" in the template
    QCOMPARE((QList<bool>{control<QPushButton>(Formupdate, "BtnBypass1")->isVisible(),
                          control<QPushButton>(Formupdate, "BtnBypass2")->isVisible(),
                          control<QPushButton>(Formupdate, "BtnBypass3")->isVisible()}),
             (QList<bool>{true, false, true}));
    QCOMPARE(versionStatus(m_main.get()),
             QStringLiteral("当前版本:%1    服务器有新版本咯!!!").arg(QLatin1String(BuildInfo::version)));
    // The word and the strip wait for the update window: they do not come meanwhile.
    QTest::qWait(100);
    QCOMPARE(keywordBox(m_main.get()), QStringLiteral("typed"));
    QVERIFY(control<QWidget>(m_main.get(), "pnlAdver")->isHidden());

    Formupdate->close();
    QCOMPARE(keywordBox(m_main.get()), QStringLiteral("速度与激情 abc"));
    QVERIFY(!control<QWidget>(m_main.get(), "pnlAdver")->isHidden());
}

void TestRemoteFetch::remainingStepsFollowTheUpdateWindow_data()
{
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QByteArray>("frcUp");
    QTest::addColumn<QString>("leave"); // how the update window is left: "", "quit", "close box"
    QTest::addColumn<QStringList>("stepsBefore");
    QTest::addColumn<QStringList>("stepsAfter");
    const QString newer =
        QStringLiteral("status:当前版本:%1    服务器有新版本咯!!!").arg(QLatin1String(BuildInfo::version));
    const QStringList wordAndStrip{QStringLiteral("word:w"), QStringLiteral("advert")};
    QTest::newRow("current version: at once")
        << QByteArray(BuildInfo::version) << QByteArray("0") << QString()
        << QStringList{QStringLiteral("status:当前版本:%1    您的版本已是最新!").arg(QLatin1String(BuildInfo::version)),
                       QStringLiteral("count:/update/StNum.php"), QStringLiteral("word:w"), QStringLiteral("advert")}
        << QStringList{};
    QTest::newRow("no version: at once") << QByteArray() << QByteArray() << QString()
                                         << QStringList{QStringLiteral("status:提示：无法连接服务器!!"),
                                                        QStringLiteral("word:w"), QStringLiteral("advert")}
                                         << QStringList{};
    QTest::newRow("new version, left by its button")
        << QByteArray("1.0.2.0") << QByteArray("0") << QStringLiteral("quit") << QStringList{newer} << wordAndStrip;
    QTest::newRow("new version, left by its close box")
        << QByteArray("1.0.2.0") << QByteArray("1") << QStringLiteral("close box") << QStringList{newer}
        << wordAndStrip;
    // Forced: the button ends the program, and nothing more is applied.
    QTest::newRow("forced update ends the program")
        << QByteArray("1.0.2.0") << QByteArray("1") << QStringLiteral("quit") << QStringList{newer} << QStringList{};
}

void TestRemoteFetch::remainingStepsFollowTheUpdateWindow()
{
    QFETCH(QByteArray, version);
    QFETCH(QByteArray, frcUp);
    QFETCH(QString, leave);
    QFETCH(QStringList, stepsBefore);
    QFETCH(QStringList, stepsAfter);
    m_main.reset(); // the record is applied with hooks of the test's own, without the window's fetch
    remoteConfig().Version = version;
    remoteConfig().FrcUp = frcUp;
    remoteConfig().BulletinWord = "w";
    int ends = 0;
    testHooks().endProgram = [&] { ++ends; };
    QStringList steps;
    RemoteConfigurationHooks hooks;
    hooks.update.showVersionStatus = [&](const QString& text) { steps << QStringLiteral("status:") + text; };
    hooks.update.countCheck = [&](const QByteArray& path) {
        steps << QStringLiteral("count:") + QString::fromLatin1(path);
    };
    hooks.presetKeywordBox = [&](const QString& word) { steps << QStringLiteral("word:") + word; };
    hooks.showAdvertisement = [&] { steps << QStringLiteral("advert"); };
    Formupdate = nullptr;

    ApplyRemoteConfiguration(hooks); // returns at once, the update window open or not
    QCOMPARE(steps, stepsBefore);
    QCOMPARE(Formupdate.isNull(), leave.isEmpty());
    if (Formupdate) {
        std::unique_ptr<TFormupdate> window(Formupdate.data());
        QVERIFY(window->isVisible() && window->isModal());
        if (leave == QLatin1String("quit"))
            QTest::mouseClick(control<QPushButton>(window.get(), "BtnQuit"), Qt::LeftButton);
        else
            window->close();
        QCOMPARE(steps, stepsBefore + stepsAfter);
        QCOMPARE(ends, stepsAfter.isEmpty() ? 1 : 0);
    }
    testHooks().endProgram = {};
}

void TestRemoteFetch::bulletinWord_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("box");
    QTest::newRow("0 leaves the box alone") << QStringLiteral("0") << QStringLiteral("typed");
    QTest::newRow("missing empties the box") << QStringLiteral("(missing)") << QString();
    QTest::newRow("empty empties the box") << QString() << QString();
}

void TestRemoteFetch::bulletinWord()
{
    QFETCH(QString, word);
    QFETCH(QString, box);
    setSwitch("settings.BulletinWord", word);
    QVERIFY(fetchAndWait(m_main.get()));
    QCOMPARE(remoteConfig().Version, QByteArray(BuildInfo::version));
    QCOMPARE(keywordBox(m_main.get()), box);
}

// The strip shows the document's page in the embedded browser, at the document's height, and
// stays (display time "0") until it is closed.
void TestRemoteFetch::advertisementFromTheDocument()
{
    m_main->show();
    setSwitch("settings.AdverDef", QStringLiteral("1"));
    setSwitch("settings.AdShowtime", QStringLiteral("0"));
    QVERIFY(control<QWidget>(m_main.get(), "pnlAdver")->isHidden());
    QVERIFY(fetchAndWait(m_main.get()));
    QVERIFY(!control<QWidget>(m_main.get(), "pnlAdver")->isHidden());
    QCOMPARE(control<WebView>(m_main.get(), "wbAdver")->currentAddress(),
             QString::fromUtf8(m_world.baseUrl() + "/ad/strip.html"));
    QTRY_COMPARE(control<QWidget>(m_main.get(), "pnlAdver")->height(), 22);
    QVERIFY(!control<QTimer>(m_main.get(), "TmrShowtime")->isActive());
    QTRY_COMPARE_WITH_TIMEOUT(m_world.site().countRequests(QStringLiteral("GET /ad/strip.html")), 1, 20000);
#ifdef Q_OS_WIN
    // Asked for by the system's WebBrowser control.
    QVERIFY(m_world.site().userAgentOf(QStringLiteral("GET /ad/strip.html")).contains(QStringLiteral("Trident/")));
#endif
}

void TestRemoteFetch::failures_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("box");
    QTest::newRow("no document") << QStringLiteral("none") << QString() << QStringLiteral("typed");
    QTest::newRow("error page") << QStringLiteral("garbage") << QString() << QStringLiteral("typed");
    QTest::newRow("server down") << QStringLiteral("down") << QString() << QStringLiteral("typed");
    // Deciphered with the wrong key, the document holds no tags at all: it is applied empty.
    QTest::newRow("wrong key") << QStringLiteral("wrong-key") << QStringLiteral("提示：无法连接服务器!!") << QString();
}

void TestRemoteFetch::failures()
{
    QFETCH(QString, mode);
    QFETCH(QString, status);
    QFETCH(QString, box);
    m_world.site().setSwitch(QStringLiteral("settings"), mode);
    if (mode == QLatin1String("down"))
        qputenv("QUVO_PRODUCT_SERVER", closedBaseUrl());
    // A document that cannot be read is not shown, but logged.
    QLoggingCategory::setFilterRules(QStringLiteral("quvo.config.info=true"));
    if (mode == QLatin1String("garbage"))
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("^settings document not read")));
    QVERIFY(fetchAndWait(m_main.get()));
    QLoggingCategory::setFilterRules(QString());
    QCOMPARE(versionStatus(m_main.get()), status);
    QCOMPARE(keywordBox(m_main.get()), box);
    const RemoteConfiguration& config = remoteConfig();
    for (const QByteArray* field : {&config.Version, &config.FrcUp, &config.updateline1, &config.AttentionAdr})
        QVERIFY(field->isEmpty());
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
    QPointer<HttpCall> fetch = startFetch(m_main.get());
    QVERIFY(clock.elapsed() < 200);
    QTest::qWait(1500); // the window's timers keep ticking all this time
    QVERIFY(fetch && fetch->isRunning());
    QVERIFY2(ticks >= 60, qPrintable(QString::number(ticks)));
    QCOMPARE(versionStatus(m_main.get()), QString());

    // Closing the window gives up the request without waiting for its time limits.
    clock.restart();
    m_main.reset();
    QVERIFY(fetch.isNull());
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
}

QUVO_TEST_MAIN(TestRemoteFetch)
#include "test_remotefetch.moc"
