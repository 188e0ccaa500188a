// The platform adapters: code page boundary, HTTP client, registry stand-in, launcher, the
// browser module's loading.
#include "platform/codepage.h"
#include "platform/httpclient.h"
#include "platform/launcher.h"
#include "platform/registry.h"
#include "platform/webengineloader.h"
#include "platform/webview.h"
#include "localhttpserver.h"
#include "testsupport.h"

#include <QFile>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <thread>

class TestPlatform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void gbkRoundTripAndUnmappable();
    void bodyDecodedByCharset();
    void httpGetFollowsRedirectAndReportsStatus();
    void httpRefusedConnectionFailsFast();
    void httpStalledServerHitsStallLimit();
    void httpBodyLimit();
    void registryStandIn();
    void launcherPassesOneArgumentAndRefusesLineBreaks();
    void brokenBrowserModuleLeavesPagesEmpty();
};

void TestPlatform::gbkRoundTripAndUnmappable()
{
    const QByteArray gbk = CodePage::toGbk(QStringLiteral("电影 abc"));
    QCOMPARE(gbk, QByteArray("\xb5\xe7\xd3\xb0 abc"));
    QCOMPARE(CodePage::fromGbk(gbk), QStringLiteral("电影 abc"));
    // Characters GBK cannot hold (Korean syllable, emoji as a surrogate pair) become one "?" each.
    QCOMPARE(CodePage::toGbk(QStringLiteral("a한b") + QString::fromUtf8("\xF0\x9F\x98\x80") + QStringLiteral("c")),
             QByteArray("a?b?c"));
    QCOMPARE(CodePage::toGbk(QString()), QByteArray());
    // Characters after an unmappable one, in the same run of non-ASCII text and in later ones, are
    // converted as usual (a replacement character from a broken page must not spoil the rest).
    QCOMPARE(CodePage::toGbk(QStringLiteral("\uFFFD电影 한电 影")),
             QByteArray("?\xb5\xe7\xd3\xb0 ?\xb5\xe7 \xd3\xb0"));
}

void TestPlatform::bodyDecodedByCharset()
{
    const QByteArray gbkBody("\xb5\xe7\xd3\xb0");
    QCOMPARE(CodePage::decodeBody(gbkBody, "text/html; charset=GBK"), QStringLiteral("电影"));
    QCOMPARE(CodePage::decodeBody(QByteArray("\xe7\x94\xb5"), "text/html"), QStringLiteral("电"));
    QCOMPARE(CodePage::decodeBody(QByteArray("\xe7\x94\xb5"), "text/html; charset=\"utf-8\""), QStringLiteral("电"));
    // An unknown charset falls back to UTF-8.
    QCOMPARE(CodePage::decodeBody(QByteArray("ok"), "text/html; charset=x-no-such"), QStringLiteral("ok"));
}


void TestPlatform::httpGetFollowsRedirectAndReportsStatus()
{
    LocalHttpServer local;
    local.server.Get("/a", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/b"); });
    local.server.Get("/b", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("hello", "text/plain; charset=utf-8");
    });
    local.server.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content("nope", "text/plain");
    });
    local.start();
    const HttpResponse ok = HttpClient::get(local.url("/a"));
    QVERIFY(ok.transferOk);
    QCOMPARE(ok.status, 200L);
    QCOMPARE(ok.body, QByteArray("hello"));
    QCOMPARE(ok.contentType, QByteArray("text/plain; charset=utf-8"));
    QCOMPARE(ok.contentLength, 5);
    const HttpResponse missing = HttpClient::get(local.url("/missing"));
    QVERIFY(missing.transferOk);
    QCOMPARE(missing.status, 404L);
    QCOMPARE(missing.body, QByteArray("nope"));
}

void TestPlatform::httpRefusedConnectionFailsFast()
{
    LocalHttpServer local;
    local.start();
    const QByteArray url = local.url("/");
    local.stop();
    QElapsedTimer timer;
    timer.start();
    const HttpResponse response = HttpClient::get(url);
    QVERIFY(!response.transferOk);
    QVERIFY(response.couldNotConnect);
    QVERIFY(timer.elapsed() < 3000);
}

void TestPlatform::httpStalledServerHitsStallLimit()
{
    LocalHttpServer local;
    local.server.Get("/stall", [](const httplib::Request&, httplib::Response&) {
        std::this_thread::sleep_for(std::chrono::seconds(4));
    });
    local.start();
    HttpRequest request;
    request.url = local.url("/stall");
    request.stallTimeoutSec = 1;
    QElapsedTimer timer;
    timer.start();
    const HttpResponse response = HttpClient::perform(request);
    QVERIFY(!response.transferOk);
    QVERIFY(timer.elapsed() < 3500);
}

void TestPlatform::httpBodyLimit()
{
    LocalHttpServer local;
    local.server.Get("/big", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(std::string(100000, 'x'), "text/plain");
    });
    local.start();
    HttpRequest request;
    request.url = local.url("/big");
    request.maxBodyBytes = 1000;
    const HttpResponse response = HttpClient::perform(request);
    QVERIFY(!response.transferOk);
    QVERIFY(response.bodyTooLarge);
    QVERIFY(response.body.size() <= 1000);
}

void TestPlatform::registryStandIn()
{
    TemporaryRegistry registry;
    bool found = true;
    QCOMPARE(Registry::readString(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\qorvex"), QStringLiteral("Agreement"), &found),
             QString());
    QVERIFY(!found);
    QVERIFY(Registry::writeString(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Thunder Network\\ThunderOem\\thunder_backwnd\\"),
                                  QStringLiteral("Path"), QStringLiteral("/opt/thunder dir/thunder")));
    QCOMPARE(Registry::readString(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Thunder Network\\ThunderOem\\thunder_backwnd"),
                                  QStringLiteral("Path"), &found),
             QStringLiteral("/opt/thunder dir/thunder"));
    QVERIFY(found);
    // The unnamed value of a key.
    QVERIFY(Registry::writeString(QStringLiteral("HKEY_CLASSES_ROOT\\HTTP\\Shell\\open\\command"), QString(),
                                  QStringLiteral("\"/usr/bin/browser\" %1")));
    QCOMPARE(Registry::readString(QStringLiteral("HKEY_CLASSES_ROOT\\HTTP\\Shell\\open\\command"), QString()),
             QStringLiteral("\"/usr/bin/browser\" %1"));
}

void TestPlatform::launcherPassesOneArgumentAndRefusesLineBreaks()
{
    RecordingLauncher launcher;
    QVERIFY(Launcher::startDetached(launcher.program(), {QStringLiteral("a\" --evil \"b c")}));
    const auto launches = launcher.launches();
    QCOMPARE(launches.size(), 1);
    QCOMPARE(launches[0], QStringList{QStringLiteral("a\" --evil \"b c")});
    QVERIFY(!Launcher::startDetached(launcher.program(), {QStringLiteral("a\nb")}));
    QVERIFY(!Launcher::startDetached(QString(), {QStringLiteral("x")}));
}

void TestPlatform::brokenBrowserModuleLeavesPagesEmpty()
{
    QLoggingCategory::setFilterRules(QStringLiteral("quvo.web.info=true"));
    QTemporaryDir dir;
    const QString broken = dir.filePath(QStringLiteral("libquvo-web.so"));
    QFile file(broken);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, '\x7f')); // not a library at all
    file.close();
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("cannot load the browser module.*libquvo-web")));
    QVERIFY(!WebEngineLoader::load(broken));
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("no browser module at.*absent")));
    QVERIFY(!WebEngineLoader::load(dir.filePath(QStringLiteral("absent/libquvo-web.so"))));

    // The program's pages with that file as the module: empty, counted, and no load ever ends.
    qputenv("QUVO_WEB_MODULE", broken.toLocal8Bit());
    QCOMPARE(WebEngineLoader::candidates(), QStringList{broken});
    WebView page;
    QSignalSpy loaded(&page, &WebView::loadFinished);
    page.show();
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("cannot load the browser module")));
    page.navigate(QStringLiteral("http://127.0.0.1:9/page.htm"));
    page.navigate(QStringLiteral("http://127.0.0.1:9/other.htm")); // the module is tried once per run
    QCOMPARE(page.navigationCount(), 2);
    QCOMPARE(page.currentAddress(), QStringLiteral("http://127.0.0.1:9/other.htm"));
    QVERIFY(!page.engineView());
    QVERIFY(page.findChildren<QWidget*>().isEmpty());
    QVERIFY(!loaded.wait(300));
    QLoggingCategory::setFilterRules({});
}

QTEST_MAIN(TestPlatform)
#include "test_platform.moc"
