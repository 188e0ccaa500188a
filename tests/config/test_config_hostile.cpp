// The settings document from a product server that misbehaves: oversized, endless, silent or badly
// framed. The window keeps ticking (the longest gap of a 10 ms timer stays within twice an idle
// loop's plus 100 ms), memory stays bounded, and nothing is applied: the record stays empty, the keyword box and the
// version panel untouched. A document just under the size limit is still read and applied.
#include "app/tformmain.h"
#include "config/fetchremoteconfiguration.h"
#include "config/remoteconfiguration.h"
#include "platform/httpcall.h"
#include "platform/httpclient.h"
#include "platform/testhooks.h"
#include "samplesite.h"
#include "services/buildinfo.h"
#include "services/windowrefs.h"
#include "testmain.h"
#include "testsupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include <memory>

class TestConfigHostile : public HostileSuite {
    Q_OBJECT
public:
    TestConfigHostile() : HostileSuite({}, &TestHooks::configDocumentLimits) {}

private Q_SLOTS:
    void init();
    void cleanup();
    void badDocumentsApplyNothing_data();
    void badDocumentsApplyNothing();
    void documentJustUnderTheLimitIsApplied();

private:
    std::unique_ptr<TFormmain> m_main;
};

namespace {

// The body limit is 1 MB; the document is held, deciphered and lower-cased a few times over.
constexpr qint64 maxGrowthKiB = 32 * 1024;

// Starts the window's fetch of the settings document and waits until it has ended and its answer was
// handled (the call goes only after its answer, from that answer's own handler).
bool fetchAndWait(TFormmain* main, StallMonitor& monitor)
{
    QPointer<HttpCall> fetch = main->startSettingsFetch(); // the settings timer's step, taken once per run
    const auto limit = std::chrono::milliseconds(HostileSuite::hostileLimits.total) + std::chrono::seconds(5);
    const bool ended = QTest::qWaitFor([&] { return fetch.isNull(); }, int(limit.count()));
    monitor.stop();
    return ended;
}

} // namespace

void TestConfigHostile::init()
{
    QVERIFY(m_world.reset());
    m_main = mainWindowWithTypedKeyword();
}

void TestConfigHostile::cleanup()
{
    m_main.reset();
    m_world.finish();
}

void TestConfigHostile::badDocumentsApplyNothing_data()
{
    addHostileRows("document", "huge", 100);
}

void TestConfigHostile::badDocumentsApplyNothing()
{
    HostileServer hostile(m_world.site(), QStringLiteral("settings"), "QUVO_PRODUCT_SERVER");
    m_world.site().setSwitch(QStringLiteral("settings.BulletinWord"), QStringLiteral("applied"));

    StallMonitor monitor;
    QVERIFY(fetchAndWait(m_main.get(), monitor));
    VERIFY_HOSTILE_BOUNDS(monitor, "settings", QTest::currentDataTag(), maxGrowthKiB);

    const RemoteConfiguration& config = remoteConfig();
    for (const QByteArray* field : {&config.Version, &config.FrcUp, &config.BulletinWord, &config.AdverDef,
                                    &config.CloudDef, &config.AttentionAdr})
        QVERIFY(field->isEmpty());
    QCOMPARE(control<QLineEdit>(m_main.get(), "EdtSearch")->text(), QStringLiteral("typed"));
    QCOMPARE(control<QLabel>(m_main.get(), "statPanel2")->text(), QString()); // the version check did not run
    QVERIFY(!control<QWidget>(m_main.get(), "pnlAdver")->isVisible());
    if (!hostile.isSampleSite())
        QVERIFY(hostile.connections() >= 1);
}

void TestConfigHostile::documentJustUnderTheLimitIsApplied()
{
    // The sealed document is hexadecimal text, twice the plain text's length: half a megabyte of
    // filler gives a body just under the 1 MB limit.
    m_world.site().setSwitch(QStringLiteral("settings.filler"), QString::number(500 * 1000));
    m_world.site().setSwitch(QStringLiteral("settings.BulletinWord"), QStringLiteral("applied"));
    const qsizetype bodySize = HttpClient::get(m_world.baseUrl() + "/update/entcry.txt").body.size();
    QVERIFY2(bodySize > maxConfigDocumentBytes * 9 / 10 && bodySize < maxConfigDocumentBytes,
             qPrintable(QString::number(bodySize)));
    StallMonitor monitor;
    QVERIFY(fetchAndWait(m_main.get(), monitor));
    VERIFY_HOSTILE_BOUNDS(monitor, "settings", "document just under the limit", maxGrowthKiB);
    QCOMPARE(remoteConfig().Version, QByteArray(BuildInfo::version));
    QCOMPARE(control<QLineEdit>(m_main.get(), "EdtSearch")->text(), QStringLiteral("applied"));
    QCOMPARE(control<QLabel>(m_main.get(), "statPanel2")->text(),
             QStringLiteral("当前版本:%1    您的版本已是最新!").arg(QLatin1String(BuildInfo::version)));
}

QUVO_TEST_MAIN(TestConfigHostile)
#include "test_config_hostile.moc"
