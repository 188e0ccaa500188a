// The platform adapters: code page boundary, HTTP client and its asynchronous calls, counter pages,
// registry stand-in, launcher, Qt's texts, the browser module's loading.
#include "localhttpserver.h"
#include "platform/addresspolicy.h"
#include "platform/codepage.h"
#include "platform/counterbrowser.h"
#include "platform/guard.h"
#include "platform/httpcall.h"
#include "platform/httpclient.h"
#include "platform/launcher.h"
#include "platform/logging.h"
#include "platform/messageboxes.h"
#include "platform/namedinputmethod.h"
#include "platform/pagekeyrouter.h"
#include "platform/pagelockdown.h"
#include "platform/qttranslations.h"
#include "platform/registry.h"
#include "platform/systemproxy.h"
#include "platform/webengine.h"
#include "platform/webengineloader.h"
#include "platform/webview.h"
#include "systemproxysetting.h"
#include "testmain.h"
#include "testsupport.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

Q_DECLARE_METATYPE(KeyboardLayout)

class TestPlatform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void gbkRoundTripAndUnmappable();
    void codePage936TableAgreesAcrossPlatforms();
    void bodyDecodedByCharset();
    void httpGetFollowsRedirectAndReportsStatus();
    void httpRefusedConnectionFailsFast();
    void httpStalledServerHitsStallLimit();
    void httpBodyLimit();
    void httpReplyHeaders_data();
    void httpReplyHeaders();
    void proxyFromInternetSettings_data();
    void proxyFromInternetSettings();
    void noProxyLists_data();
    void noProxyLists();
    void redirectsDecideTheProxyAnew();
#ifdef Q_OS_WIN
    void stalledProxyScriptHoldsNoRequest();
#endif
    void asyncCallRepliesOnTheCallersThread();
    void asyncCallGivenUpReportsNothing();
    void counterPagesLeaveInOrder();
    void registryStandIn();
#ifdef Q_OS_WIN
    void nativeRegistryAndItsThirtyTwoBitView();
#endif
    void launcherPassesOneArgumentAndRefusesOptionsAndLocalFiles();
    void addressesLeavePercentEncoded_data();
    void addressesLeavePercentEncoded();
    void standardButtonsReadChinese();
    void noticeCentredOnTheScreenNotOverItsOwner();
    void inputMethodFoundByItsDescription_data();
    void inputMethodFoundByItsDescription();
    void absentInputMethodLeavesTheLayout();
    void brokenBrowserModuleLeavesPagesEmpty();
#ifdef Q_OS_WIN
    void pageNavigationsOffTheWebAreCancelled_data();
    void pageNavigationsOffTheWebAreCancelled();
#endif
    void pageLockdownDecisions_data();
    void pageLockdownDecisions();
    void keyRouterSurvivesViewsComingAndGoing();
    void guardEndsAStepAndLogsWhy();
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
    QCOMPARE(CodePage::toGbk(QStringLiteral("\uFFFD电影 한电 影")), QByteArray("?\xb5\xe7\xd3\xb0 ?\xb5\xe7 \xd3\xb0"));
}

namespace {
QByteArray hex(const QString& text)
{
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2).toHex();
}
} // namespace

// Code page 936 is ICU's table on Linux and the system's on Windows. The Windows build writes its
// table of every BMP character and every two-byte sequence (QUVO_CODEPAGE_TABLE_OUT); the Linux build
// compares its own with it (QUVO_CODEPAGE_TABLE_IN), once scripts/test --windows has run.
void TestPlatform::codePage936TableAgreesAcrossPlatforms()
{
    QByteArray table;
    int roundTrips = 0;
    for (char32_t code = 0x80; code <= 0xFFFF; ++code) {
        if (QChar::isSurrogate(code))
            continue;
        const QString character{QChar(char16_t(code))};
        const QByteArray gbk = CodePage::toGbk(character);
        table += hex(character) + ' ' + gbk.toHex() + '\n';
        // Whatever GBK holds comes back as itself.
        if (gbk != "?") {
            QVERIFY2(CodePage::fromGbk(gbk) == character, qPrintable(QString::number(uint(code), 16)));
            ++roundTrips;
        }
    }
    QVERIFY(roundTrips > 21000); // GBK holds some 21,886 characters
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            // 0x7F is no trail byte: ICU reads a lead before it as U+FFFD and keeps the 0x7F, the
            // system reads both as one "?".
            if (trail == 0x7F)
                continue;
            const QByteArray bytes = QByteArray(1, char(lead)) + char(trail);
            table += bytes.toHex() + ' ' + hex(CodePage::fromGbk(bytes)) + '\n';
        }
    }
    if (const QString out = qEnvironmentVariable("QUVO_CODEPAGE_TABLE_OUT"); !out.isEmpty()) {
        QFile file(out);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(table) == table.size());
    }
    QFile other(qEnvironmentVariable("QUVO_CODEPAGE_TABLE_IN"));
    if (other.fileName().isEmpty() || !other.open(QIODevice::ReadOnly))
        QSKIP("no table of the other platform to compare with");
    const QList<QByteArray> ours = table.split('\n');
    const QList<QByteArray> theirs = other.readAll().split('\n');
    QCOMPARE(theirs.size(), ours.size());
    QByteArrayList differences;
    for (qsizetype i = 0; i < ours.size(); ++i) {
        if (ours[i] != theirs[i])
            differences += ours[i] + " here, " + theirs[i] + " there";
    }
    QVERIFY2(differences.isEmpty(), qPrintable(QString::number(differences.size()) + QStringLiteral(" differ: ") +
                                               QString::fromLatin1(differences.mid(0, 20).join("; "))));
}

void TestPlatform::bodyDecodedByCharset()
{
    const QByteArray gbkBody("\xb5\xe7\xd3\xb0");
    QCOMPARE(CodePage::decodeBody(gbkBody, "text/html; charset=GBK"), QStringLiteral("电影"));
    // A page labelled GB2312 is read as GBK: "丂" (81 40) lies beyond GB2312.
    QCOMPARE(CodePage::decodeBody(QByteArray("\x81\x40\xb5\xe7"), "text/html; charset=GB2312"), QStringLiteral("丂电"));
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
    request.limits.stall = std::chrono::seconds(1);
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

void TestPlatform::httpReplyHeaders_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<long>("status");
    QTest::addColumn<QByteArray>("contentType");
    const QByteArray hello = "Content-Type: text/html; charset=GBK\r\nContent-Length: 5\r\n\r\nhello";
    // The status is the one libcurl reads, also from lines a split at blanks would misread.
    QTest::newRow("plain") << "HTTP/1.1 206 Partial Content\r\n" + hello << 206L
                           << QByteArray("text/html; charset=GBK");
    QTest::newRow("two blanks before the code")
        << "HTTP/1.1  206 Partial\r\n" + hello << 206L << QByteArray("text/html; charset=GBK");
    QTest::newRow("tab after the code") << "HTTP/1.1 206\tPartial\r\n" + hello << 206L
                                        << QByteArray("text/html; charset=GBK");
    QTest::newRow("lower-case version") << "http/1.1 206 Partial\r\n" + hello << 200L
                                        << QByteArray("text/html; charset=GBK");
    QTest::newRow("informational reply first")
        << "HTTP/1.1 100 Continue\r\nContent-Type: a/b\r\n\r\nHTTP/1.1 200 OK\r\n" + hello << 200L
        << QByteArray("text/html; charset=GBK");
    // The trailer lines after a chunked body are not the reply's headers: the page is decoded by the
    // reply's own Content-Type.
    QTest::newRow("chunked trailers") << QByteArray(
                                             "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=GBK\r\n"
                                             "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n"
                                             "Content-Type: text/plain; charset=utf-8\r\nX-Checksum: none\r\n\r\n")
                                      << 200L << QByteArray("text/html; charset=GBK");
    // A trailer that reads like a status line is a trailer still: no second reply begins.
    QTest::newRow("trailer like a status line")
        << QByteArray("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=GBK\r\nTransfer-Encoding: chunked\r\n\r\n"
                      "5\r\nhello\r\n0\r\nHTTP/1.1 200 OK: again\r\nContent-Type: text/plain\r\n\r\n")
        << 200L << QByteArray("text/html; charset=GBK");
}

void TestPlatform::httpReplyHeaders()
{
    QFETCH(QByteArray, reply);
    QFETCH(long, status);
    QFETCH(QByteArray, contentType);
    RawServer server([&reply](RawServer& raw, int socket) { raw.send(socket, reply); });
    HttpRequest request;
    request.url = server.baseUrl() + "/page";
    QList<long> handed; // the statuses of the header blocks handed over
    request.onHeaders = [&](long blockStatus, const HttpHeaders&) {
        handed << blockStatus;
        return true;
    };
    const HttpResponse response = HttpClient::perform(request);
    QVERIFY2(response.transferOk, qPrintable(response.error));
    QCOMPARE(handed, QList<long>{status});
    QCOMPARE(response.status, status);
    QCOMPARE(response.contentType, contentType);
    QCOMPARE(response.header("content-type"), contentType);
    QCOMPARE(response.body, QByteArray("hello"));
}

namespace {

// What an asynchronous call reported, and on which thread.
struct CallRecord {
    int reports = 0;
    HttpResponse response;
    QVariant stepResult;
    QThread* thread = nullptr;
};

void record(HttpCall* call, CallRecord& into)
{
    QObject::connect(call, &HttpCall::finished, call, [&into](const HttpResponse& response, const QVariant& result) {
        ++into.reports;
        into.response = response;
        into.stepResult = result;
        into.thread = QThread::currentThread();
    });
}

HttpRequest requestFor(const QByteArray& url)
{
    HttpRequest request;
    request.url = url;
    return request;
}

} // namespace

// The proxy lists of Internet settings and of PAC answers, as WinHTTP hands them over.
void TestPlatform::proxyFromInternetSettings_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("proxies");
    QTest::addColumn<QString>("bypass");
    QTest::addColumn<QByteArray>("proxy");

    const QString site = QStringLiteral("http://films.example.com/search/x/1");
    QTest::newRow("one proxy for all") << site << QStringLiteral("10.0.0.1:3128") << QString()
                                       << QByteArray("http://10.0.0.1:3128");
    QTest::newRow("no port is 80") << site << QStringLiteral("proxy.lan") << QString()
                                   << QByteArray("http://proxy.lan:80");
    QTest::newRow("the scheme's own entry first")
        << QStringLiteral("https://films.example.com/") << QStringLiteral("http=a:1;https=b:2 c:3") << QString()
        << QByteArray("http://b:2");
    QTest::newRow("no entry of its scheme: the one for all")
        << QStringLiteral("https://films.example.com/") << QStringLiteral("http=a:1;c:3") << QString()
        << QByteArray("http://c:3");
    QTest::newRow("only another scheme's entry: direct")
        << QStringLiteral("https://films.example.com/") << QStringLiteral("http=a:1;ftp=f:21") << QString()
        << QByteArray();
    QTest::newRow("socks last, SOCKS4 as Windows means it")
        << site << QStringLiteral("socks=s:9050;ftp=f:21") << QString() << QByteArray("socks4a://s:9050");
    QTest::newRow("socks without a port")
        << site << QStringLiteral("socks=s") << QString() << QByteArray("socks4a://s:1080");
    QTest::newRow("SOCKS5 when written so")
        << site << QStringLiteral("socks5://s:1") << QString() << QByteArray("socks5h://s:1");
    QTest::newRow("an unusable entry gives way")
        << site << QStringLiteral("http=a:99999;c:3") << QString() << QByteArray("http://c:3");
    QTest::newRow("PAC answer list") << site << QStringLiteral("p1:8080; p2:8080") << QString()
                                     << QByteArray("http://p1:8080");
    QTest::newRow("bypassed by wildcard")
        << site << QStringLiteral("a:1") << QStringLiteral("*.other.com;*.EXAMPLE.com") << QByteArray();
    QTest::newRow("wildcard is the whole name") << QStringLiteral("http://example.com.evil/") << QStringLiteral("a:1")
                                                << QStringLiteral("example.com") << QByteArray("http://a:1");
    QTest::newRow("<local>: a name without a dot")
        << QStringLiteral("http://intranet/") << QStringLiteral("a:1") << QStringLiteral("<local>") << QByteArray();
    QTest::newRow("<local> leaves dotted names")
        << site << QStringLiteral("a:1") << QStringLiteral("<local>") << QByteArray("http://a:1");
    QTest::newRow("loopback always direct")
        << QStringLiteral("http://127.0.0.1:8080/") << QStringLiteral("a:1") << QString() << QByteArray();
    QTest::newRow("a name that only starts like loopback")
        << QStringLiteral("http://127.0.0.evil/") << QStringLiteral("a:1") << QString() << QByteArray("http://a:1");
    QTest::newRow("nothing named") << site << QStringLiteral(" ; ") << QString() << QByteArray();
    // Odd entries: read as Windows reads them, or skipped so that the next usable one wins.
    QTest::newRow("IPv6 address") << site << QStringLiteral("[2001:db8::1]:3128") << QString()
                                  << QByteArray("http://[2001:db8::1]:3128");
    QTest::newRow("IPv6 address, no port")
        << site << QStringLiteral("[2001:db8::1]") << QString() << QByteArray("http://[2001:db8::1]:80");
    QTest::newRow("IPv6 without brackets is skipped")
        << site << QStringLiteral("2001:db8::1:3128;c:3") << QString() << QByteArray("http://c:3");
    QTest::newRow("user name is skipped")
        << site << QStringLiteral("user:pw@p:80 c:3") << QString() << QByteArray("http://c:3");
    QTest::newRow("scheme and slash") << site << QStringLiteral("http://proxy:8080/") << QString()
                                      << QByteArray("http://proxy:8080");
    QTest::newRow("scheme in a scheme's entry")
        << site << QStringLiteral("http=http://proxy:8080/") << QString() << QByteArray("http://proxy:8080");
    QTest::newRow("blank after the colon")
        << site << QStringLiteral("p: 8080") << QString() << QByteArray("http://p:8080");
    QTest::newRow("blanks around the equals sign")
        << site << QStringLiteral("http = p : 1") << QString() << QByteArray("http://p:1");
    QTest::newRow("a path is skipped") << site << QStringLiteral("p:80/x;c:3") << QString() << QByteArray("http://c:3");
    QTest::newRow("empty port, port 0 and 65536 are skipped")
        << site << QStringLiteral("a:;b:0;d:65536;e:+1;c:65535") << QString() << QByteArray("http://c:65535");
    QTest::newRow("a broken entry of the scheme gives way to the next of it")
        << site << QStringLiteral("http=:1;http=b:2;c:3") << QString() << QByteArray("http://b:2");
    QTest::newRow("another scheme is skipped")
        << site << QStringLiteral("ftp://f:21 c:3") << QString() << QByteArray("http://c:3");
    QTest::newRow("bypass with a port") << site << QStringLiteral("a:1") << QStringLiteral("films.example.com:80")
                                        << QByteArray();
    QTest::newRow("bypass with another port")
        << site << QStringLiteral("a:1") << QStringLiteral("films.example.com:8080") << QByteArray("http://a:1");
    QTest::newRow("bypass with a scheme")
        << site << QStringLiteral("a:1") << QStringLiteral("http://*.example.com") << QByteArray();
    QTest::newRow("bypass with another scheme")
        << site << QStringLiteral("a:1") << QStringLiteral("https://*.example.com") << QByteArray("http://a:1");
    QTest::newRow("bypass in brackets") << QStringLiteral("http://[2001:db8::5]/") << QStringLiteral("a:1")
                                        << QStringLiteral("[2001:db8::5]") << QByteArray();
}

void TestPlatform::proxyFromInternetSettings()
{
    QFETCH(QString, url);
    QFETCH(QString, proxies);
    QFETCH(QString, bypass);
    QFETCH(QByteArray, proxy);
    QCOMPARE(SystemProxy::fromLists(QUrl(url), proxies, bypass), proxy);
}

// The bypass list as libcurl decides redirects by it: loopback always, entries it reads as Windows
// does, none that would send the request's own address direct.
void TestPlatform::noProxyLists_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("bypass");
    QTest::addColumn<QByteArray>("noProxy");
    const QByteArray loopback = "localhost,127.0.0.0/8,::1";
    const QString site = QStringLiteral("http://films.example.com/");
    QTest::newRow("none") << site << QString() << loopback;
    QTest::newRow("names and networks") << site << QStringLiteral("intranet;*.corp.lan 10.*;192.168.*;[fe80::1]")
                                        << loopback + ",intranet,.corp.lan,10.0.0.0/8,192.168.0.0/16,fe80::1";
    QTest::newRow("what libcurl cannot hold")
        << site << QStringLiteral("<local>;http://x;y:80;a*b.c;1.2.3.4.*;300.*") << loopback;
    QTest::newRow("wider for libcurl than for Windows")
        << site << QStringLiteral("example.com;*.films.example.com") << loopback;
}

void TestPlatform::noProxyLists()
{
    QFETCH(QString, url);
    QFETCH(QString, bypass);
    QFETCH(QByteArray, noProxy);
    QCOMPARE(SystemProxy::noProxyList(QUrl(url), bypass), noProxy);
}

// The proxy sends the request on to loopback: that hop goes direct, not through the proxy again.
void TestPlatform::redirectsDecideTheProxyAnew()
{
    LocalHttpServer site;
    site.server.Get("/final", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("hello", "text/plain");
    });
    site.start();
    std::atomic<int> proxied = 0;
    RawServer proxy([&](RawServer& raw, int socket) {
        ++proxied;
        raw.send(socket, "HTTP/1.1 302 Found\r\nLocation: " + site.url("/final") +
                             "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    });
    SystemProxySetting setting(proxy.baseUrl().split(':').last().toInt());
    HttpRequest request;
    request.url = "http://films.quvo.test/start";
    const HttpResponse response = HttpClient::perform(request);
    QVERIFY2(response.transferOk, qPrintable(response.error));
    QCOMPARE(response.body, QByteArray("hello"));
    QCOMPARE(proxied.load(), 1);
}

#ifdef Q_OS_WIN
// A PAC script whose server never answers holds no request: a cancelled one ends at once, another
// waits no longer than its limits. A script that cannot be had is then left alone for a while.
void TestPlatform::stalledProxyScriptHoldsNoRequest()
{
    HttpRequest request;
    request.url = "http://films.quvo.test:9/a"; // not loopback, which never asks the script
    const auto inBackground = [](const HttpRequest& asked) {
        return std::async(std::launch::async, [asked] { return HttpClient::perform(asked); });
    };
    const auto ready = [](const std::future<HttpResponse>& reply) {
        return reply.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    };
    {
        SilentServer script;
        SystemProxySetting setting(0, {}, script.baseUrl() + "/cancelled.pac");
        std::atomic<bool> cancel = false;
        request.limits = {.connect = std::chrono::seconds(60), .stall = std::chrono::seconds(60)};
        request.cancel = &cancel;
        std::future<HttpResponse> cancelled = inBackground(request);
        QTRY_COMPARE(script.connections(), 1);
        cancel = true;
        QTRY_VERIFY(ready(cancelled));
        QVERIFY(!cancelled.get().transferOk);
    }
    {
        SilentServer script;
        SystemProxySetting setting(0, {}, script.baseUrl() + "/stalled.pac");
        request.limits = {.connect = std::chrono::milliseconds(300), .stall = std::chrono::seconds(1)};
        request.cancel = nullptr;
        std::future<HttpResponse> limited = inBackground(request);
        QTRY_COMPARE(script.connections(), 1);
        QTRY_VERIFY(ready(limited)); // well before the script's own fetch would give up
    }
    std::atomic<int> asked = 0;
    RawServer missing([&asked](RawServer& raw, int socket) {
        ++asked;
        raw.send(socket, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    });
    SystemProxySetting setting(0, {}, missing.baseUrl() + "/missing.pac");
    HttpClient::perform(request);
    QCOMPARE(asked.load(), 1);
    HttpClient::perform(request);
    QCOMPARE(asked.load(), 1);
}
#endif

void TestPlatform::asyncCallRepliesOnTheCallersThread()
{
    LocalHttpServer local;
    local.server.Get(
        "/page", [](const httplib::Request&, httplib::Response& res) { res.set_content("<b>page</b>", "text/html"); });
    local.server.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content("nope", "text/plain");
    });
    local.start();

    HttpCall call(requestFor(local.url("/page")));
    std::atomic<QThread*> stepThread = nullptr;
    call.setWorkerStep([&](HttpResponse& response) {
        stepThread = QThread::currentThread();
        response.body = response.body.toUpper();
        return QVariant(response.body.size());
    });
    CallRecord page;
    record(&call, page);
    call.start();
    QVERIFY(call.isRunning());
    QCOMPARE(page.reports, 0); // never from inside start()
    QTRY_COMPARE(page.reports, 1);
    QVERIFY(!call.isRunning());
    QCOMPARE(page.thread, QThread::currentThread());
    QVERIFY(stepThread.load() && stepThread.load() != QThread::currentThread());
    QCOMPARE(page.response.status, 200L);
    QCOMPARE(page.response.body, QByteArray("<B>PAGE</B>")); // what the step left
    QCOMPARE(page.stepResult.toInt(), 11);

    // An error status is an answer like any other; a refused connection says why, and is logged.
    HttpCall missing(requestFor(local.url("/missing")));
    CallRecord notFound;
    record(&missing, notFound);
    missing.start();
    QTRY_COMPARE(notFound.reports, 1);
    QVERIFY(notFound.response.transferOk);
    QCOMPARE(notFound.response.status, 404L);
    QCOMPARE(notFound.response.body, QByteArray("nope"));
    const QByteArray refusedUrl = local.url("/page");
    local.stop();
    QLoggingCategory::setFilterRules(QStringLiteral("quvo.net.info=true"));
    QTest::ignoreMessage(QtInfoMsg,
                         QRegularExpression(QStringLiteral("^GET %1 failed: status 0 error .+")
                                                .arg(QRegularExpression::escape(QString::fromUtf8(refusedUrl)))));
    HttpCall refused(requestFor(refusedUrl));
    CallRecord down;
    record(&refused, down);
    refused.start();
    QTRY_COMPARE(down.reports, 1); // the pool thread wrote the log line before it posted the answer
    QLoggingCategory::setFilterRules(QString());
    QVERIFY(!down.response.transferOk);
    QVERIFY(down.response.couldNotConnect);
    QVERIFY(!down.response.error.isEmpty());
    QTest::qWait(100);                                           // room for a second report, which must not come
    QCOMPARE(page.reports + notFound.reports + down.reports, 3); // each exactly once
}

void TestPlatform::asyncCallGivenUpReportsNothing()
{
    // Cancelled or destroyed while the server keeps silent: the connection is dropped at once, not
    // left to the time limits (20 s without a byte by default).
    SilentServer silent;
    const HttpRequest waiting = requestFor(silent.baseUrl() + "/never");
    HttpCall cancelled(waiting);
    CallRecord cancelledRecord;
    record(&cancelled, cancelledRecord);
    cancelled.start();
    QTRY_COMPARE(silent.connections(), 1);
    cancelled.cancel();
    QVERIFY(!cancelled.isRunning());
    QTRY_COMPARE_WITH_TIMEOUT(silent.hangUps(), 1, 3000);
    {
        HttpCall destroyed(waiting);
        destroyed.start();
        QTRY_COMPARE(silent.connections(), 2);
    }
    QTRY_COMPARE_WITH_TIMEOUT(silent.hangUps(), 2, 3000);
    QCOMPARE(cancelledRecord.reports, 0);

    // An answer already on its way when the call is given up is dropped as well, and a later start
    // of the same call is reported once.
    LocalHttpServer local;
    std::atomic<int> served = 0;
    local.server.Get("/fast", [&](const httplib::Request&, httplib::Response& res) {
        ++served;
        res.set_content("fast", "text/plain");
    });
    local.start();
    HttpCall again(requestFor(local.url("/fast")));
    CallRecord againRecord;
    record(&again, againRecord);
    again.start();
    QVERIFY(waitHoldingEvents([&] { return served == 1; }, 5000)); // the answer is queued here meanwhile
    again.cancel();
    QTest::qWait(100); // room for the dropped answer, which must not be reported
    QCOMPARE(againRecord.reports, 0);
    again.start();
    QTRY_COMPARE(againRecord.reports, 1);
    QCOMPARE(againRecord.response.body, QByteArray("fast"));

    auto* gone = new HttpCall(requestFor(local.url("/fast")));
    gone->start();
    QVERIFY(waitHoldingEvents([&] { return served == 3; }, 5000));
    delete gone;       // its posted answer goes with it
    QTest::qWait(100); // room for that answer, which must not be reported
    QCOMPARE(againRecord.reports, 1);
}

void TestPlatform::counterPagesLeaveInOrder()
{
    LocalHttpServer local;
    std::mutex mutex;
    QList<QPair<QByteArray, qint64>> arrivals;
    QElapsedTimer clock;
    clock.start();
    local.server.Get(R"(/update/(\w+)\.php)", [&](const httplib::Request& req, httplib::Response& res) {
        {
            std::lock_guard lock(mutex);
            arrivals.append({QByteArray::fromStdString(req.path), clock.elapsed()});
        }
        if (req.path == "/update/HomePG.php")
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        res.set_content("counted", "text/plain");
    });
    local.start();
    qputenv("QUVO_PRODUCT_SERVER", local.url("/"));
    CounterBrowser wbAllNum(QStringLiteral("wbAllNum"));
    CounterBrowser wbTjStNum(QStringLiteral("wbTjStNum"));
    wbAllNum.navigate("/update/HomePG.php");
    wbTjStNum.navigate("/update/StNum.php");
    wbAllNum.navigate("/update/Feedbk.php");
    QCOMPARE(wbAllNum.lastAddress(), local.url("/update/Feedbk.php"));
    QVERIFY(CounterBrowser::waitForIdle(5000));
    qunsetenv("QUVO_PRODUCT_SERVER");
    QCOMPARE(arrivals.size(), 3);
    QCOMPARE(arrivals[0].first, QByteArray("/update/HomePG.php"));
    QCOMPARE(arrivals[1].first, QByteArray("/update/StNum.php"));
    QCOMPARE(arrivals[2].first, QByteArray("/update/Feedbk.php"));
    // The second left only once the first had its answer.
    QVERIFY2(arrivals[1].second - arrivals[0].second >= 250, qPrintable(QString::number(arrivals[1].second)));
    QCOMPARE(wbAllNum.requestCount(), 2);
}

void TestPlatform::registryStandIn()
{
    TemporaryRegistry registry;
    bool found = true;
    QCOMPARE(Registry::readString(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\qorvex"), QStringLiteral("Agreement"),
                                  &found),
             QString());
    QVERIFY(!found);
    QVERIFY(Registry::writeString(
        QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Thunder Network\\ThunderOem\\thunder_backwnd\\"),
        QStringLiteral("Path"), QStringLiteral("/opt/thunder dir/thunder")));
    QCOMPARE(Registry::readString(
                 QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Thunder Network\\ThunderOem\\thunder_backwnd"),
                 QStringLiteral("Path"), &found),
             QStringLiteral("/opt/thunder dir/thunder"));
    QVERIFY(found);
    // The unnamed value of a key.
    QVERIFY(Registry::writeString(QStringLiteral("HKEY_CLASSES_ROOT\\HTTP\\Shell\\open\\command"), QString(),
                                  QStringLiteral("\"/usr/bin/browser\" %1")));
    QCOMPARE(Registry::readString(QStringLiteral("HKEY_CLASSES_ROOT\\HTTP\\Shell\\open\\command"), QString()),
             QStringLiteral("\"/usr/bin/browser\" %1"));
}

#ifdef Q_OS_WIN
// Without a test store: the real registry, in keys of the test's own that it removes again.
void TestPlatform::nativeRegistryAndItsThirtyTwoBitView()
{
    const QString name = QStringLiteral("quvo-test-%1").arg(QCoreApplication::applicationPid());
    const QString userKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\") + name + QStringLiteral("\\open");
    const QString machineKey = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\") + name;
    const auto removeKeys = qScopeGuard([&] {
        QSettings(QStringLiteral("HKEY_CURRENT_USER\\Software"), QSettings::NativeFormat).remove(name);
        QSettings(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE"), QSettings::Registry32Format).remove(name);
    });
    QVERIFY(Registry::storePath().isEmpty());
    QVERIFY(Registry::writeString(userKey, QString(), QStringLiteral("\"C:\\浏览器\\b.exe\" %1")));
    QVERIFY(Registry::writeString(userKey, QStringLiteral("Path"), QStringLiteral("C:\\x")));
    bool found = false;
    QCOMPARE(Registry::readString(userKey, QString(), &found), QStringLiteral("\"C:\\浏览器\\b.exe\" %1"));
    QVERIFY(found);
    QCOMPARE(Registry::readString(userKey, QStringLiteral("Path")), QStringLiteral("C:\\x"));
    QCOMPARE(QSettings(userKey, QSettings::NativeFormat).value(QStringLiteral("Default")).toString(),
             QStringLiteral("\"C:\\浏览器\\b.exe\" %1")); // the key's unnamed value, as the system sees it

    // What a 32-bit installer writes under HKEY_LOCAL_MACHINE\SOFTWARE lies in the 32-bit view only.
    QSettings(machineKey, QSettings::Registry32Format).setValue(QStringLiteral("Path"), QStringLiteral("C:\\t.exe"));
    QCOMPARE(Registry::readString(machineKey, QStringLiteral("Path"), &found, Registry::View::Bits32),
             QStringLiteral("C:\\t.exe"));
    Registry::readString(machineKey, QStringLiteral("Path"), &found);
    QVERIFY(!found);
}
#endif

void TestPlatform::launcherPassesOneArgumentAndRefusesOptionsAndLocalFiles()
{
    using AddressPolicy::Kind;
    RecordingLauncher launcher;
    const QString program = launcher.program();
    // Refused as any address: an option, a control character, a scheme that is not of the web, a
    // path of any kind (a relative one too, which a browser would open from its working folder).
    for (QStringView address : {u"--renderer-cmd-prefix=sh",
                                u" \u3000-x",
                                u"http://x/a\nb",
                                u"a\tb",
                                u"http://x\x7f",
                                u"x\u0085",
                                u"",
                                u"file:///etc/passwd",
                                u"FILE:/x",
                                u"view-source:file:///etc/passwd",
                                u"jar:file:/x.zip!/a",
                                u"zip:/x",
                                u"javascript:alert(1)",
                                u"data:text/html,x",
                                u"smb://h/x",
                                u"ftp://127.0.0.1:9/a",
                                u" /etc/passwd",
                                u"~/.profile",
                                u"./a.desktop",
                                u"Documents/secret.html",
                                u"C:\\x.exe",
                                u"\\\\h\\x",
                                u"-x.com",
                                u"a..b/x",
                                u"host:80x/"}) {
        QVERIFY2(!Launcher::openAddress(program, address.toString(), Kind::Play), qPrintable(address.toString()));
        QVERIFY2(!AddressPolicy::acceptedAddress(address.toString(), Kind::Web), qPrintable(address.toString()));
    }
    // Where a page may go on to: a web page or the empty page, never a play address or another program.
    for (QStringView address :
         {u"quvotest://x", u"ms-msdt:/id", u"about:srcdoc", u"blob:http://x/1", u"www.x.cn", u"file:///etc/passwd",
          u"view-source:http://x/", u"ftp://127.0.0.1:9/a", u"javascript:alert(1)", u"data:text/html,x", u"/etc/passwd",
          u"magnet:?xt=urn:btih:AB", u"thunder://QUFodHRw", u"ed2k://|file|a|1|H|/"})
        QVERIFY2(!AddressPolicy::allowsPageNavigation(QUrl(address.toString())), qPrintable(address.toString()));
    for (QStringView address : {u"http://127.0.0.1:8/a?b#c", u"HTTPS://x.cn", u"about:blank"})
        QVERIFY2(AddressPolicy::allowsPageNavigation(QUrl(address.toString())), qPrintable(address.toString()));
    // Schemes of play addresses are not pages.
    for (QStringView address : {u"magnet:?xt=urn:btih:AB", u"thunder://QUFodHRw", u"ed2k://|file|a|1|H|/"})
        QVERIFY2(!Launcher::openAddress(program, address.toString(), Kind::Web), qPrintable(address.toString()));
    // Thunder's argument is a key: never a path, an address or an option.
    for (QStringView key : {u"/home/u/.ssh/id_rsa", u"~/x.torrent", u"file:///etc/passwd", u"C:x", u"a\\b", u".x",
                            u"-x", u" -x", u"", u"a\nb", u"a\" --evil \"b"})
        QVERIFY2(!Launcher::startWithKey(program, key.toString()), qPrintable(key.toString()));
    QVERIFY(!Launcher::openAddress(QString(), QStringLiteral("http://x/")));

    // What passes reaches the program whole, as exactly one argument, percent-encoded; a bare host
    // name as a web address.
    const QString quoted = QStringLiteral("http://127.0.0.1/a b?c=\"1\" --evil 'd'");
    const QString key = QStringLiteral("a --evil b c");
    QVERIFY(Launcher::openAddress(program, quoted));
    QVERIFY(Launcher::startWithKey(program, key));
    QVERIFY(Launcher::openAddress(program, QStringLiteral(" www.qorvex.com/建议反馈/ ")));
    QVERIFY(Launcher::openAddress(program, QStringLiteral("localhost:8080/x")));
    QVERIFY(Launcher::openAddress(program, QStringLiteral("HTTPS://x.cn")));
    QVERIFY(Launcher::openAddress(program, QStringLiteral("magnet:?xt=urn:btih:AB"), Kind::Play));
    QTRY_COMPARE_WITH_TIMEOUT(launcher.launches(0).size(), 6, 5000);
    QTest::qWait(200); // room for a start that should not have happened
    QList<QStringList> launches = launcher.launches();
    std::sort(launches.begin(), launches.end());
    QList<QStringList> expected{{QStringLiteral("HTTPS://x.cn")},
                                thunderRecord(key),
                                {QStringLiteral("http://127.0.0.1/a%20b?c=%221%22%20--evil%20'd'")},
                                {QStringLiteral("http://localhost:8080/x")},
                                {QStringLiteral("http://www.qorvex.com/%E5%BB%BA%E8%AE%AE%E5%8F%8D%E9%A6%88/")},
                                {QStringLiteral("magnet:?xt=urn:btih:AB")}};
    std::sort(expected.begin(), expected.end());
    QCOMPARE(launches, expected);
}

void TestPlatform::addressesLeavePercentEncoded_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("handedOver");
    // A row's address as a search page may give it: the quote and blanks would end the address
    // and start arguments of the magnet program's own.
    QTest::newRow("arguments smuggled into a magnet")
        << QStringLiteral("magnet:?xt=urn:btih:AB&dn=x\" --evil \"y")
        << QStringLiteral("magnet:?xt=urn:btih:AB&dn=x%22%20--evil%20%22y");
    QTest::newRow("a player's query and the row's own, as today")
        << QStringLiteral("http://p.cn/?url=magnet:?xt=urn:btih:AB&dn=a+b&tr=udp://t:80/announce")
        << QStringLiteral("http://p.cn/?url=magnet:?xt=urn:btih:AB&dn=a+b&tr=udp://t:80/announce");
    QTest::newRow("escapes kept, one cut short at the end") << QStringLiteral("magnet:?xt=urn:btih:AB&dn=%E5%bd%B1%2")
                                                            << QStringLiteral("magnet:?xt=urn:btih:AB&dn=%E5%bd%B1%2");
    QTest::newRow("a percent cut alone at the end") << QStringLiteral("http://x/a%") << QStringLiteral("http://x/a%");
    QTest::newRow("percent signs that start no escape")
        << QStringLiteral("http://x/100%off%2G%") << QStringLiteral("http://x/100%25off%252G%");
    QTest::newRow("beyond ASCII, a surrogate pair whole")
        << QStringLiteral("http://www.qorvex.com/建议反馈/\u3000\U0001F600")
        << QStringLiteral("http://www.qorvex.com/%E5%BB%BA%E8%AE%AE%E5%8F%8D%E9%A6%88/%E3%80%80%F0%9F%98%80");
    QTest::newRow("signs an address may not hold raw")
        << QStringLiteral("ed2k://|file|a<b>c^d`e{f}g\\h|1|H|/")
        << QStringLiteral("ed2k://%7Cfile%7Ca%3Cb%3Ec%5Ed%60e%7Bf%7Dg%5Ch%7C1%7CH%7C/");
    QTest::newRow("delimiters and sub-delimiters stay") << QStringLiteral("thunder://[::1]:8/a;b,c!$'()*@x~_.-#f=+")
                                                        << QStringLiteral("thunder://[::1]:8/a;b,c!$'()*@x~_.-#f=+");
    QTest::newRow("a bare host name") << QStringLiteral(" www.qorvex.com/a b ")
                                      << QStringLiteral("http://www.qorvex.com/a%20b");
}

// What the browser, the system's opener or a magnet program receives (Launcher hands over
// nothing else): the address percent-encoded, already fit parts as they were.
void TestPlatform::addressesLeavePercentEncoded()
{
    QFETCH(QString, address);
    QFETCH(QString, handedOver);
    QCOMPARE(AddressPolicy::acceptedAddress(address, AddressPolicy::Kind::Play), std::optional<QString>(handedOver));
    QCOMPARE(AddressPolicy::percentEncoded(handedOver), handedOver); // encoding twice changes nothing
}

// Runs under LANG=C (tests/platform/CMakeLists.txt): the buttons are Chinese whatever the locale.
void TestPlatform::standardButtonsReadChinese()
{
    QVERIFY(QtTranslations::installChinese());
    QStringList seen;
    QTimer answer; // answers the box once it shows
    connect(&answer, &QTimer::timeout, this, [&seen] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            for (QAbstractButton* button : box->buttons())
                seen.append(button->text());
            box->reject();
        }
    });
    answer.start(20);
    QVERIFY(!MessageBoxes::confirm(nullptr, QStringLiteral("点<-确定->")));
    seen.sort();
    QCOMPARE(seen, (QStringList{QStringLiteral("取消"), QStringLiteral("确定")}));
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

    // A broken file before the real module does not hide it (where the build has a module).
    const QString module = qEnvironmentVariable("QUVO_WEB_MODULE");
    if (!module.isEmpty()) {
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("cannot load the browser module")));
        QVERIFY(WebEngineLoader::loadFirst({broken, module}));
    }

#ifdef Q_OS_WIN
    // Windows' engine is the system's control, linked in: no module is looked for.
    QLoggingCategory::setFilterRules({});
    return;
#endif
    // The program's pages with that file as the module: empty, counted, and no load ever ends.
    qputenv("QUVO_WEB_MODULE", broken.toLocal8Bit());
    QCOMPARE(WebEngineLoader::candidates(), QStringList{broken});
    WebView page;
    QSignalSpy loaded(&page, &WebView::loadFinished);
    page.show();
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("cannot load the browser module")));
    page.navigate(QStringLiteral("http://127.0.0.1:9/page.htm"));
    page.navigate(QStringLiteral("http://127.0.0.1:9/other.htm")); // the module is tried once per run
    // A local path is never a page, whatever becomes of it in QUrl::fromUserInput.
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("refused to show.*/etc/passwd")));
    page.navigate(QStringLiteral("/etc/passwd"));
    page.navigate(QStringLiteral("http://127.0.0.1:9/other.htm"));
    QCOMPARE(page.navigationCount(), 4);
    QCOMPARE(page.currentAddress(), QStringLiteral("http://127.0.0.1:9/other.htm"));
    QVERIFY(!page.engineView());
    QVERIFY(page.findChildren<QWidget*>().isEmpty());
    QVERIFY(!loaded.wait(300));
    QLoggingCategory::setFilterRules({});
}

#ifdef Q_OS_WIN
void TestPlatform::pageNavigationsOffTheWebAreCancelled_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("local file") << QStringLiteral("file:///C:/windows/win.ini");
    QTest::newRow("mail program") << QStringLiteral("mailto:someone@example.com");
    QTest::newRow("download manager") << QStringLiteral("thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==");
    QTest::newRow("ftp") << QStringLiteral("ftp://127.0.0.1:9/a");
}

void TestPlatform::pageNavigationsOffTheWebAreCancelled()
{
    QFETCH(QString, address);
    std::atomic<int> pages = 0;
    QString userAgent;
    std::mutex agentLock;
    LocalHttpServer local;
    local.server.Get("/page.htm", [&](const httplib::Request& request, httplib::Response& response) {
        std::lock_guard lock(agentLock);
        userAgent = QString::fromStdString(request.get_header_value("User-Agent"));
        ++pages;
        response.set_content("<html><body><a href=\"x\">x</a></body></html>", "text/html");
    });
    local.start();
    QLoggingCategory::setFilterRules(QStringLiteral("quvo.web.info=true"));
    const auto quiet = qScopeGuard([] { QLoggingCategory::setFilterRules({}); });

    WebView page;
    page.resize(300, 200);
    page.show();
    page.navigate(QString::fromLatin1(local.url("/page.htm")));
    QTRY_COMPARE_WITH_TIMEOUT(pages.load(), 1, 20000);
    {
        std::lock_guard lock(agentLock);
        QVERIFY2(userAgent.contains(QStringLiteral("Trident/")), qPrintable(userAgent)); // the control asked
    }

    // The page follows a link to the address: the control's navigation is stopped before it starts
    // (the control names the address its own way: a file address as a path, an unknown scheme empty).
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("^refused a navigation of the page to ")));
    WebEngineLoader::engine()->load(page.engineView(), QUrl(address));

    // The view goes on showing pages of the web.
    page.navigate(QString::fromLatin1(local.url("/page.htm")));
    QTRY_COMPARE_WITH_TIMEOUT(pages.load(), 2, 20000);
}
#endif

void TestPlatform::noticeCentredOnTheScreenNotOverItsOwner()
{
    QWidget owner;
    owner.setGeometry(20, 40, 300, 200); // in the screen's top left corner
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    const QRect screen = owner.screen()->availableGeometry();
    QRect seen;
    QTimer answer; // notes where the box shows, then closes it
    connect(&answer, &QTimer::timeout, this, [&seen] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); box && box->isVisible()) {
            seen = box->frameGeometry();
            box->accept();
        }
    });
    answer.start(20);
    MessageBoxes::informOnScreenCentre(&owner, QStringLiteral("请先选择一项内容!"));
    QVERIFY(seen.isValid());
    // Within a frame's width of the centre (the window manager may frame it only after it shows).
    QVERIFY2(
        (seen.center() - screen.center()).manhattanLength() < 40,
        qPrintable(
            QStringLiteral("box at %1,%2 %3x%4").arg(seen.x()).arg(seen.y()).arg(seen.width()).arg(seen.height())));
    QVERIFY(!owner.frameGeometry().contains(seen.center()));
}

void TestPlatform::inputMethodFoundByItsDescription_data()
{
    QTest::addColumn<QList<KeyboardLayout>>("layouts");
    QTest::addColumn<QString>("name");
    QTest::addColumn<quintptr>("found");
    const KeyboardLayout english{0x04090409, {}};
    const KeyboardLayout pinyin{0xe0200804, QStringLiteral("中文 (简体) - 微软拼音")};
    const KeyboardLayout wubi{0xe0210804, QStringLiteral("极点五笔输入法")};
    const KeyboardLayout wubiAgain{0xe0220804, QStringLiteral("极点五笔输入法")};
    const KeyboardLayout latin{0xe0230409, QStringLiteral("Some IME")};
    QTest::newRow("installed") << QList{english, pinyin, wubi} << QStringLiteral("极点五笔输入法") << wubi.handle;
    QTest::newRow("absent") << QList{english, pinyin} << QStringLiteral("极点五笔输入法") << quintptr(0);
    QTest::newRow("no layouts") << QList<KeyboardLayout>{} << QStringLiteral("极点五笔输入法") << quintptr(0);
    QTest::newRow("first of two") << QList{wubi, wubiAgain} << QStringLiteral("极点五笔输入法") << wubi.handle;
    QTest::newRow("whole name only") << QList{wubi} << QStringLiteral("极点五笔") << quintptr(0);
    QTest::newRow("trailing blank differs") << QList{wubi} << QStringLiteral("极点五笔输入法 ") << quintptr(0);
    QTest::newRow("case ignored") << QList{latin} << QStringLiteral("SOME ime") << latin.handle;
    // A layout without an input method has an empty description, which no name asks for.
    QTest::newRow("empty name") << QList{english} << QString() << quintptr(0);
}

void TestPlatform::inputMethodFoundByItsDescription()
{
    QFETCH(QList<KeyboardLayout>, layouts);
    QFETCH(QString, name);
    QFETCH(quintptr, found);
    QCOMPARE(layoutOfInputMethod(layouts, name), found);
}

// The layouts this system has: an input method none of them is leaves the active layout as it was.
void TestPlatform::absentInputMethodLeavesTheLayout()
{
    QWidget window;
    auto* box = new QLineEdit(&window);
    auto* other = new QLineEdit(&window);
    other->move(0, 40);
    new NamedInputMethod(box, QStringLiteral("没有这个输入法"));
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const quintptr before = activeKeyboardLayout();
    QCOMPARE(layoutOfInputMethod(installedKeyboardLayouts(), QStringLiteral("没有这个输入法")), quintptr(0));
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    QCOMPARE(activeKeyboardLayout(), before);
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());
    QCOMPARE(activeKeyboardLayout(), before);
}

void TestPlatform::pageLockdownDecisions_data()
{
    // question: "scheme <s>", "key <mods+vk>" (with "menu" when the view keeps its menu),
    // "action <scheme> <URLACTION>", "feature <n>"; answer: what the lock-down decides.
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("answer");
    const auto row = [](const char* name, const char* question, const char* answer) {
        QTest::newRow(name) << QString::fromLatin1(question) << QString::fromLatin1(answer);
    };
    row("file locked", "scheme file", "locked");
    row("res locked", "scheme res", "locked");
    row("mk locked", "scheme mk", "locked");
    row("ms-its locked", "scheme ms-its", "locked");
    row("HTTPS reaches the web", "scheme HTTPS", "web");
    row("about left to the engine", "scheme about", "open");
    row("custom scheme not on the web", "scheme quvo-x", "open");

    row("Ctrl+O open dialog", "key ctrl+79", "swallow");
    row("Ctrl+L open dialog", "key ctrl+76", "swallow");
    row("Ctrl+P print", "key ctrl+80", "swallow");
    row("Ctrl+Shift+C", "key ctrl+shift+67", "swallow");
    row("F5 reload", "key 116", "swallow");
    row("Ctrl+F5 reload", "key ctrl+116", "swallow");
    row("F10 menu bar", "key 121", "swallow");
    row("browser refresh key", "key 168", "swallow");
    row("Alt+Home home page", "key alt+36", "swallow");
    row("Ctrl+Enter", "key ctrl+13", "swallow");
    row("Apps key, menu refused", "key 93", "swallow");
    row("Shift+F10, menu refused", "key shift+121", "swallow");
    row("Apps key, menu kept", "key menu+93", "page");
    row("Shift+F10, menu kept", "key menu+shift+121", "page");
    row("Tab", "key 9", "page");
    row("typing", "key 65", "page");
    row("Ctrl+C copy", "key ctrl+67", "page");
    row("Ctrl+Shift+Z redo", "key ctrl+shift+90", "page");
    row("Ctrl+Alt+Q is AltGr typing", "key ctrl+alt+81", "page");
    row("Alt+F4 closes the window", "key alt+115", "page");

    row("ActiveX run", "action http 4608", "disallow");      // 0x1200
    row("Java", "action http 7168", "disallow");             // 0x1C00
    row("file download", "action http 6147", "disallow");    // 0x1803
    row("binary behaviour", "action http 8192", "disallow"); // 0x2000
    row("zone elevation", "action http 8449", "disallow");   // 0x2101
    row("logon", "action http 6656", "anonymous");           // 0x1A00
    row("pop-up manager", "action http 6153", "default");    // 0x1809
    row("script", "action http 5120", "default");            // 0x1400
    row("script without an address", "action - 5120", "default");
    row("script of a local file", "action file 5120", "disallow");
    row("form of a help file", "action ms-its 5633", "disallow");

    row("file download restricted", "feature 12", "on"); // Feature::RestrictFileDownload
    row("zone elevation blocked", "feature 1", "on");
    row("pop-up manager", "feature 5", "on");
}

void TestPlatform::pageLockdownDecisions()
{
    using namespace PageLockdown;
    QFETCH(QString, question);
    QFETCH(QString, answer);
    const QStringList words = question.split(u' ');
    QString decided;
    if (words[0] == u"scheme") {
        decided = lockedSchemes().contains(words[1]) ? QStringLiteral("locked")
                  : isWebScheme(words[1])            ? QStringLiteral("web")
                                                     : QStringLiteral("open");
        QVERIFY(!(isWebScheme(words[1]) && lockedSchemes().contains(words[1], Qt::CaseInsensitive)));
    } else if (words[0] == u"key") {
        const QStringList parts = words[1].split(u'+');
        const auto has = [&](const char* part) { return parts.contains(QLatin1String(part)); };
        const Key key{parts.last().toInt(), has("ctrl"), has("shift"), has("alt")};
        decided = keyUse(key, has("menu")) == KeyUse::Page ? QStringLiteral("page") : QStringLiteral("swallow");
    } else if (words[0] == u"action") {
        const QString scheme = words[1] == u"-" ? QString() : words[1];
        const UrlPolicy policy = urlActionPolicy(scheme, words[2].toUInt());
        decided = policy == UrlPolicy::Disallow        ? QStringLiteral("disallow")
                  : policy == UrlPolicy::AnonymousOnly ? QStringLiteral("anonymous")
                                                       : QStringLiteral("default");
    } else {
        const auto feature = Feature(words[1].toInt());
        const auto features = lockedFeatures();
        decided =
            std::any_of(features.begin(), features.end(), [&](const FeatureSetting& f) { return f.feature == feature; })
                ? QStringLiteral("on")
                : QStringLiteral("off");
    }
    QCOMPARE(decided, answer);
}

void TestPlatform::keyRouterSurvivesViewsComingAndGoing()
{
    // Views whose key handling opens or closes views, as a modal dialog run inside the control's
    // TranslateAccelerator lets the user do. Under AddressSanitizer a walk over a list that grew or
    // lost an entry meanwhile is a use after free.
    struct View final : PageKeyRouter::Target {
        quintptr window = 0;
        std::function<bool()> onKey;
        int keys = 0;
        bool ownsWindow(quintptr w) const override { return w == window; }
        bool offerKey(void*) override
        {
            ++keys;
            return onKey ? onKey() : true;
        }
    };
    PageKeyRouter router;
    std::vector<std::unique_ptr<View>> opened;
    View first, second;
    first.window = 1;
    second.window = 2;
    router.add(&first);
    router.add(&second);
    first.onKey = [&] { // opens many views (the list grows and moves) and does not use the key
        for (int i = 0; i < 64; ++i) {
            opened.push_back(std::make_unique<View>());
            opened.back()->window = quintptr(100 + i);
            router.add(opened.back().get());
        }
        return false;
    };
    QVERIFY(!router.route(1, nullptr));
    QCOMPARE(first.keys, 1);
    QCOMPARE(second.keys, 0); // a key goes to the view it is aimed at, and to no other
    QVERIFY(router.route(163, nullptr));
    QCOMPARE(opened.back()->keys, 1);

    // A view closed while it handles a key (its window closed by the dialog's answer).
    auto closing = std::make_unique<View>();
    closing->window = 3;
    router.add(closing.get());
    closing->onKey = [&] {
        router.remove(closing.get());
        for (auto& view : opened)
            router.remove(view.get());
        closing.reset(); // last: this handler is part of the view
        return false;
    };
    QVERIFY(!router.route(3, nullptr));
    QVERIFY(!closing);
    QVERIFY(!router.route(3, nullptr));
    QVERIFY(router.route(2, nullptr));
    QCOMPARE(second.keys, 1);
}

void TestPlatform::guardEndsAStepAndLogsWhy()
{
    QLoggingCategory::setFilterRules(QStringLiteral("quvo.config.info=true"));
    int reached = 0;
    QVERIFY(runGuarded(lcConfig(), "a step", [&] { ++reached; }));
    QTest::ignoreMessage(QtInfoMsg, "a step broke off: bad value");
    QVERIFY(!runGuarded(lcConfig(), "a step", [&] { throw std::invalid_argument("bad value"); }));
    QTest::ignoreMessage(QtInfoMsg, "a step broke off: a failure that is no std::exception");
    QVERIFY(!runGuarded(lcConfig(), "a step", [] { throw 42; }));
    QCOMPARE(reached, 1);
    QLoggingCategory::setFilterRules({});
}

QUVO_TEST_MAIN(TestPlatform)
#include "test_platform.moc"
