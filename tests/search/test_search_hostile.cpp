// The real main window searching against sites that misbehave: oversized, endless, silent, random,
// wrongly encoded and badly framed answers. Whatever arrives, the window keeps ticking (the longest
// gap of a 10 ms timer stays within twice an idle loop's plus 100 ms), memory stays bounded, only rows the
// cutter takes from the page appear, the button's caption comes back, and the next search works.
#include "app/tformmain.h"
#include "platform/codepage.h"
#include "platform/testhooks.h"
#include "samplesite.h"
#include "search/mygetwebthread.h"
#include "search/resultmodel.h"
#include "search/rowcut.h"
#include "testmain.h"
#include "testsupport.h"

#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <memory>

class TestSearchHostile : public HostileSuite {
    Q_OBJECT
public:
    TestSearchHostile()
        : HostileSuite({.productServerRefused = true, .searchOnSite = true}, &TestHooks::searchPageLimits)
    {
    }

private Q_SLOTS:
    void init();
    void cleanup();
    void refusedPages_data();
    void refusedPages();
    void oddPagesGiveOnlyTheirRows_data();
    void oddPagesGiveOnlyTheirRows();
    void pageOfRunOnRowsAtTheSizeLimit();

private:
    QString caption() const { return m_window->findChild<QPushButton*>(QStringLiteral("BtnSearch"))->text(); }
    void search(const QString& keyword) { searchFromKeywordBox(m_window.get(), keyword); }
    bool waitUntilIdle(int timeoutMs);
    void checkNextSearchWorks(const QString& keyword = QStringLiteral("next"));
    QList<ResultRow> rows() const;

    std::unique_ptr<MessageBoxRecorder> m_boxes;
    std::unique_ptr<TFormmain> m_window;
};

namespace {

// Bounds asserted for every case. The page limit is 4 MB; decoding it to Unicode and back to GBK
// and holding it as the page buffer takes a few times that at most.
constexpr qint64 maxGrowthKiB = 64 * 1024;

const QString busyCaption = QStringLiteral("拼命搜索中...");
const QString idleCaption = QStringLiteral("搜     索");
const QString moreCaption = QStringLiteral("加 载 更 多");
const QString doneCaption = QStringLiteral("搜 索 完 毕");

} // namespace

void TestSearchHostile::init()
{
    QVERIFY(m_world.reset());
    QVERIFY(openMainWindow(m_window, m_boxes));
}

void TestSearchHostile::cleanup()
{
    m_window.reset();
    m_boxes.reset();
    m_world.finish();
}

bool TestSearchHostile::waitUntilIdle(int timeoutMs)
{
    // The button says so for as long as a page is fetched or cut into rows.
    return QTest::qWaitFor([this] { return caption() != busyCaption; }, timeoutMs);
}

QList<ResultRow> TestSearchHostile::rows() const
{
    QList<ResultRow> all;
    const auto* model =
        qobject_cast<const ResultModel*>(m_window->findChild<QTableView*>(QStringLiteral("lv1"))->model());
    for (int i = 0; i < model->rowCount(); ++i)
        all.append(model->row(i));
    return all;
}

void TestSearchHostile::checkNextSearchWorks(const QString& keyword)
{
    qputenv("QUVO_SEARCH_SITE", m_world.baseUrl());
    m_world.site().setSwitch(QStringLiteral("search.body"), QString());
    m_world.site().setSwitch(QStringLiteral("search.charset"), QString());
    m_world.site().clearRequestLog();
    const int before = int(rows().size());
    search(keyword);
    QVERIFY(waitUntilIdle(10000));
    QCOMPARE(int(rows().size()), before + 25);
    QCOMPARE(caption(), moreCaption);
    QCOMPARE(m_world.site().requestLog(), QStringList{QStringLiteral("GET /search/%1/1").arg(keyword)});
}

void TestSearchHostile::refusedPages_data()
{
    addHostileRows("page", "pad", 50);
}

void TestSearchHostile::refusedPages()
{
    HostileServer hostile(m_world.site(), QStringLiteral("search.body"), "QUVO_SEARCH_SITE");

    StallMonitor monitor;
    search(QStringLiteral("hostile"));
    QCOMPARE(caption(), busyCaption);
    // The shortened limits end every case within a few seconds.
    QVERIFY(waitUntilIdle(int(hostileLimits.total.count()) + 5000));
    monitor.stop();
    VERIFY_HOSTILE_BOUNDS(monitor, "search", QTest::currentDataTag(), maxGrowthKiB);

    // A failed first page: no row, no message, the idle caption, page 1 again next time.
    QCOMPARE(int(rows().size()), 0);
    QCOMPARE(m_boxes->count(), 0);
    QCOMPARE(caption(), idleCaption);
    if (!hostile.isSampleSite())
        QVERIFY(hostile.connections() >= 1);
    hostile.stop();
    checkNextSearchWorks(QStringLiteral("hostile"));
}

void TestSearchHostile::oddPagesGiveOnlyTheirRows_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("charset");
    QTest::newRow("random bytes") << QStringLiteral("random:1048576") << QString();
    QTest::newRow("invalid UTF-8") << QStringLiteral("badutf8") << QString();
    QTest::newRow("GBK page naming no charset") << QString() << QStringLiteral("gbk-unnamed");
    QTest::newRow("charset that does not exist") << QString() << QStringLiteral("bogus");
    QTest::newRow("page padded to just under the limit")
        << QStringLiteral("pad:%1").arg(MyGetWebThread::maxPageBytes - 1) << QString();
    QTest::newRow("unclosed page-count blocks up to the limit")
        << QStringLiteral("openings:%1").arg(MyGetWebThread::maxPageBytes - 1) << QString();
}

void TestSearchHostile::oddPagesGiveOnlyTheirRows()
{
    QFETCH(QString, body);
    QFETCH(QString, charset);

    // The rows of the well-formed page, for comparison.
    search(QStringLiteral("电影"));
    QVERIFY(waitUntilIdle(10000));
    const QList<ResultRow> normal = rows();
    QCOMPARE(normal.size(), 25);
    m_window->findChild<QPushButton*>(QStringLiteral("btnClear"))->click(); // answered with OK
    QCOMPARE(int(rows().size()), 0);

    m_world.site().setSwitch(QStringLiteral("search.body"), body);
    m_world.site().setSwitch(QStringLiteral("search.charset"), charset);
    StallMonitor monitor;
    search(QStringLiteral("电影")); // page 1 again after the clear
    QVERIFY(waitUntilIdle(15000));
    monitor.stop();
    VERIFY_HOSTILE_BOUNDS(monitor, "search", QTest::currentDataTag(), maxGrowthKiB);
    QCOMPARE(m_boxes->count(), 1); // only the clear's question

    // The page count of the first page carries over when a page has none of its own.
    QCOMPARE(caption(), moreCaption);
    const QList<ResultRow> got = rows();
    const QString tag = QString::fromLatin1(QTest::currentDataTag());
    if (tag == QLatin1String("random bytes")) {
        QCOMPARE(got.size(), 0); // random bytes hold no end-of-row marker
    } else {
        QCOMPARE(got.size(), 25);
        for (int i = 0; i < 25; ++i) {
            QCOMPARE(got[i].informationKey, normal[i].informationKey); // ASCII survives every decoding
            QCOMPARE(got[i].size, normal[i].size);
            if (tag == QLatin1String("invalid UTF-8")) {
                // Each broken sequence became "?"; the rest of the title is intact.
                QVERIFY(got[i].title.startsWith("?"));
                QVERIFY(got[i].title.endsWith(normal[i].title));
                QVERIFY(got[i].title.size() <= normal[i].title.size() + 5);
            } else if (tag == QLatin1String("GBK page naming no charset")) {
                // Read as UTF-8, Chinese characters become "?"; ASCII titles come through unchanged.
                const bool ascii = std::all_of(normal[i].title.cbegin(), normal[i].title.cend(),
                                               [](char c) { return static_cast<unsigned char>(c) < 0x80; });
                if (ascii) {
                    QCOMPARE(got[i].title, normal[i].title);
                } else {
                    QVERIFY(got[i].title != normal[i].title);
                    QVERIFY(got[i].title.contains('?'));
                    QVERIFY(got[i].title.size() <= normal[i].title.size());
                }
            } else {
                QCOMPARE(got[i].title, normal[i].title);
                QCOMPARE(got[i].address, normal[i].address);
            }
        }
    }
    checkNextSearchWorks();
}

void TestSearchHostile::pageOfRunOnRowsAtTheSizeLimit()
{
    // Every field of every row runs on to the end of a page of nearly 4 MB: each tick must still
    // cost about one row, and no row may carry a copy of the rest of the page.
    const int rowCount = 150;
    m_world.site().setSwitch(QStringLiteral("search.body"),
                             QStringLiteral("runon:%1:%2").arg(rowCount).arg(MyGetWebThread::maxPageBytes - 16));
    StallMonitor monitor;
    search(QStringLiteral("runon"));
    QVERIFY(waitUntilIdle(rowCount * 10 + 15000));
    monitor.stop();
    VERIFY_HOSTILE_BOUNDS(monitor, "search", "run-on rows at the size limit", maxGrowthKiB);

    const QList<ResultRow> got = rows();
    QCOMPARE(got.size(), rowCount);
    // The cells show the beginning of each field; the rows keep the fields as cut.
    const QString shownTitle =
        m_window->findChild<QTableView*>(QStringLiteral("lv1"))->model()->index(0, 0).data().toString();
    QCOMPARE(shownTitle.size(), ResultModel::maxShownCharacters);
    QVERIFY(shownTitle.endsWith(QChar(0x2026)));
    QVERIFY(CodePage::toGbk(shownTitle.chopped(1)) == got[0].title.left(ResultModel::maxShownCharacters - 1));
    for (const ResultRow& row : got) {
        QCOMPARE(row.title.size(), maxRowFieldBytes);
        QVERIFY(row.size.size() <= maxRowFieldBytes && row.address.size() <= maxRowFieldBytes);
        QVERIFY(row.informationKey.size() <= maxRowFieldBytes);
    }
    QCOMPARE(caption(), doneCaption);
    checkNextSearchWorks();
}

QUVO_TEST_MAIN(TestSearchHostile)
#include "test_search_hostile.moc"
