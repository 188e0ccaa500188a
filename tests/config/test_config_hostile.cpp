// The settings document from a product server that misbehaves: oversized, endless, silent or badly
// framed. The window keeps ticking (the longest gap of a 10 ms timer stays under 100 ms), memory
// stays bounded, and nothing is applied: the record stays empty, the keyword box and the version
// panel untouched. A document just under the size limit is still read and applied.
#include "app/tformmain.h"
#include "app/windowrefs.h"
#include "config/fetchremoteconfiguration.h"
#include "config/remoteconfiguration.h"
#include "platform/httpcall.h"
#include "platform/httpclient.h"
#include "samplesite.h"
#include "testsupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTcpServer>
#include <QTest>

#include <cstdio>
#include <memory>

class TestConfigHostile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void badDocumentsApplyNothing_data();
    void badDocumentsApplyNothing();
    void documentJustUnderTheLimitIsApplied();

private:
    SampleSite m_site;
    std::unique_ptr<TFormmain> m_main;
};

namespace {

// The body limit is 1 MB; the document is held, deciphered and lower-cased a few times over.
constexpr qint64 maxGrowthKiB = 32 * 1024;
const HttpTimeLimits shortLimits{2000, 1, 3000};

// Starts the window's fetch of the settings document and waits until it has ended and its answer was handled.
bool fetchAndWait(TFormmain* main, StallMonitor& monitor)
{
    main->TmrchkupdateTimer(); // the settings timer's step, taken once per run
    QPointer<HttpCall> fetch = main->findChild<HttpCall*>(QString(), Qt::FindDirectChildrenOnly);
    const bool ended = QTest::qWaitFor([&] { return fetch.isNull(); }, shortLimits.totalTimeoutMs + 5000);
    QTest::qWait(50); // the queued answer
    monitor.stop();
    return ended;
}

void lyingLength(RawServer& server, int socket)
{
    server.send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n0123456789abcdef");
}

void notHttp(RawServer& server, int socket)
{
    server.send(socket, QByteArray(8192, '\x07'));
}

} // namespace

void TestConfigHostile::initTestCase()
{
    QVERIFY(m_site.start() > 0);
    setConfigDocumentTimeLimitsForTesting(shortLimits);
}

void TestConfigHostile::cleanupTestCase()
{
    setConfigDocumentTimeLimitsForTesting(std::nullopt);
}

void TestConfigHostile::init()
{
    qputenv("QUVO_PRODUCT_SERVER", m_site.baseUrl());
    RemoteConfig() = RemoteConfiguration{};
    m_main = std::make_unique<TFormmain>();
    Formmain = m_main.get();
    control<QLineEdit>(m_main.get(), "EdtSearch")->setText(QStringLiteral("typed"));
}

void TestConfigHostile::cleanup()
{
    m_main.reset();
    RemoteConfig() = RemoteConfiguration{};
    for (const char* name : {"settings", "settings.filler", "settings.BulletinWord"})
        m_site.setSwitch(QString::fromLatin1(name), QString());
}

void TestConfigHostile::badDocumentsApplyNothing_data()
{
    QTest::addColumn<QString>("mode"); // the sample site's settings switch, or a raw reply
    QTest::addColumn<int>("raw");      // 0: sample site; 1, 2: raw replies; 3: silent server
    QTest::newRow("100 MB document") << QStringLiteral("huge:%1").arg(100 * 1024 * 1024) << 0;
    QTest::newRow("endless document, fast") << QStringLiteral("endless:65536:0") << 0;
    QTest::newRow("endless document, slow") << QStringLiteral("endless:512:50") << 0;
    QTest::newRow("length longer than the body") << QString() << 1;
    QTest::newRow("not HTTP at all") << QString() << 2;
    QTest::newRow("accepts and never answers") << QString() << 3;
}

void TestConfigHostile::badDocumentsApplyNothing()
{
    QFETCH(QString, mode);
    QFETCH(int, raw);
    std::unique_ptr<RawServer> rawServer;
    QTcpServer silent;
    if (raw == 1 || raw == 2) {
        rawServer = std::make_unique<RawServer>(raw == 1 ? lyingLength : notHttp);
        qputenv("QUVO_PRODUCT_SERVER", rawServer->baseUrl());
    } else if (raw == 3) {
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        qputenv("QUVO_PRODUCT_SERVER", "http://127.0.0.1:" + QByteArray::number(silent.serverPort()));
    } else {
        m_site.setSwitch(QStringLiteral("settings"), mode);
    }
    m_site.setSwitch(QStringLiteral("settings.BulletinWord"), QStringLiteral("applied"));

    StallMonitor monitor;
    QVERIFY(fetchAndWait(m_main.get(), monitor));
    std::printf("HOSTILE settings %-40s %s\n", QTest::currentDataTag(), qPrintable(monitor.summary()));
    QVERIFY2(monitor.longestGapMs() < maxUiGapMs, qPrintable(monitor.summary()));
    if (peakMemoryIsMeaningful)
        QVERIFY2(monitor.peakGrowthKiB() < maxGrowthKiB, qPrintable(monitor.summary()));

    const RemoteConfiguration& config = RemoteConfig();
    for (const QByteArray* field : {&config.Version, &config.FrcUp, &config.BulletinWord, &config.AdverDef,
                                    &config.CloudDef, &config.AttentionAdr})
        QVERIFY(field->isEmpty());
    QCOMPARE(control<QLineEdit>(m_main.get(), "EdtSearch")->text(), QStringLiteral("typed"));
    QCOMPARE(control<QLabel>(m_main.get(), "statPanel2")->text(), QString()); // the version check did not run
    QVERIFY(!control<QWidget>(m_main.get(), "pnlAdver")->isVisible());
    if (rawServer)
        QVERIFY(rawServer->connections() >= 1);
}

void TestConfigHostile::documentJustUnderTheLimitIsApplied()
{
    // The sealed document is hexadecimal text, twice the plain text's length: half a megabyte of
    // filler gives a body just under the 1 MB limit.
    m_site.setSwitch(QStringLiteral("settings.filler"), QString::number(500 * 1000));
    m_site.setSwitch(QStringLiteral("settings.BulletinWord"), QStringLiteral("applied"));
    const qsizetype bodySize = HttpClient::get(m_site.baseUrl() + "/update/entcry.txt").body.size();
    QVERIFY2(bodySize > maxConfigDocumentBytes * 9 / 10 && bodySize < maxConfigDocumentBytes,
             qPrintable(QString::number(bodySize)));
    StallMonitor monitor;
    QVERIFY(fetchAndWait(m_main.get(), monitor));
    std::printf("HOSTILE settings %-40s %s\n", "document just under the limit", qPrintable(monitor.summary()));
    QVERIFY2(monitor.longestGapMs() < maxUiGapMs, qPrintable(monitor.summary()));
    if (peakMemoryIsMeaningful)
        QVERIFY2(monitor.peakGrowthKiB() < maxGrowthKiB, qPrintable(monitor.summary()));
    QCOMPARE(RemoteConfig().Version, QByteArray("1.0.1.0"));
    QCOMPARE(control<QLineEdit>(m_main.get(), "EdtSearch")->text(), QStringLiteral("applied"));
    QCOMPARE(control<QLabel>(m_main.get(), "statPanel2")->text(),
             QStringLiteral("当前版本:1.0.1.0    您的版本已是最新!"));
}

QTEST_MAIN(TestConfigHostile)
#include "test_config_hostile.moc"
