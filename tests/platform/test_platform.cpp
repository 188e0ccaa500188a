// The platform adapters: code page boundary, HTTP client, registry stand-in, launcher, Qt's texts.
#include "localhttpserver.h"
#include "platform/codepage.h"
#include "platform/httpclient.h"
#include "platform/launcher.h"
#include "platform/messageboxes.h"
#include "platform/qttranslations.h"
#include "platform/registry.h"
#include "testsupport.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
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
    void launcherPassesOneArgumentAndRefusesOptionsAndLocalFiles();
    void standardButtonsReadChinese();
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

void TestPlatform::launcherPassesOneArgumentAndRefusesOptionsAndLocalFiles()
{
    RecordingLauncher launcher;
    const QString program = launcher.program();
    // Refused as any argument: an option (white space before it too), a control character anywhere.
    for (QStringView argument : {u"--renderer-cmd-prefix=sh", u" \u3000-x", u"a\nb", u"a\tb", u"a\x7f", u"x\u0085"}) {
        QVERIFY2(!Launcher::startDetached(program, {argument.toString()}), qPrintable(argument.toString()));
        QVERIFY2(!Launcher::openAddress(program, argument.toString()), qPrintable(argument.toString()));
    }
    // Refused as an address: whatever names a local file.
    for (QStringView address :
         {u"file:///etc/passwd", u"FILE:/x", u" /etc/passwd", u"~/.profile", u"./a.desktop", u"C:\\x.exe", u"\\\\h\\x"})
        QVERIFY2(!Launcher::openAddress(program, address.toString(), Launcher::BareAddress::AsWebAddress),
                 qPrintable(address.toString()));
    QVERIFY(!Launcher::startDetached(QString(), {QStringLiteral("x")}));

    // What passes reaches the program whole, as exactly one argument.
    const QString quoted = QStringLiteral("http://127.0.0.1/a b?c=\"1\" --evil 'd'");
    QVERIFY(Launcher::openAddress(program, quoted));
    QVERIFY(Launcher::startDetached(program, {QStringLiteral("a\" --evil \"b c")}));
    QTRY_COMPARE_WITH_TIMEOUT(launcher.launches(0).size(), 2, 5000);
    QTest::qWait(200); // room for a start that should not have happened
    QList<QStringList> launches = launcher.launches();
    std::sort(launches.begin(), launches.end());
    QCOMPARE(launches, (QList<QStringList>{{QStringLiteral("a\" --evil \"b c")}, {quoted}}));
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

QTEST_MAIN(TestPlatform)
#include "test_platform.moc"
