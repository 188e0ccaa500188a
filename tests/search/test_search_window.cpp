// The search in the real main window, driven with keys and clicks against the sample site.
#include "app/tformmain.h"
#include "platform/codepage.h"
#include "samplesite.h"
#include "testsupport.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QTest>

#include <memory>

class TestSearchWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void enterSearchesAndRowsArriveOnePerTick();
    void emptyKeywordAndBlankKeyword();
    void changedKeywordStartsAtPageOneAndKeepsRows();
    void pageWithoutPaginationAndNewKeywordReset();
    void nonNumericPageCountStillGivesRows();
    void failedFetchGivesThePageBack();
    void clickWhileFetchingIsIgnored();
    void windowGoesAwayDuringFetch();
    void clearWithCancelAndWithOk();
    void sortingByEachHeader();
    void traditionalBox();

private:
    void search(const QString& keyword); // types into the box and presses Enter
    void clickSearch();
    void waitUntilIdle();
    QString titleHeader() const { return m_window->lv1->horizontalHeaderItem(0)->text(); }
    QString caption() const { return m_window->BtnSearch->text(); }
    QStringList searchRequests() const;
    void clickHeader(int column);

    SampleSite m_site;
    QByteArray m_deadAddress; // a port nobody listens on
    std::unique_ptr<MessageBoxRecorder> m_boxes;
    std::unique_ptr<TFormmain> m_window;
};

namespace {
const QString counterPrefix = QStringLiteral("    电    影    名        本次共检索到");
const QByteArray movieUtf8Path = "/search/%E7%94%B5%E5%BD%B1/";
} // namespace

void TestSearchWindow::initTestCase()
{
    SampleSite closed;
    QVERIFY(closed.start() > 0);
    m_deadAddress = closed.baseUrl();
    closed.stop();
    QVERIFY(m_site.start() > 0);
    qputenv("QUVO_PRODUCT_SERVER", m_deadAddress);
}

void TestSearchWindow::init()
{
    qputenv("QUVO_SEARCH_SITE", m_site.baseUrl());
    for (const char* name : {"search.pages", "search.nopagination", "search.lastlink", "search.stall"})
        m_site.setSwitch(QString::fromLatin1(name), QString());
    m_site.clearRequestLog();
    m_boxes = std::make_unique<MessageBoxRecorder>();
    m_window = std::make_unique<TFormmain>();
    m_window->Tmrchkupdate.stop();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestSearchWindow::cleanup()
{
    m_site.setSwitch(QStringLiteral("search.stall"), QString());
    m_window.reset();
    m_boxes.reset();
}

void TestSearchWindow::search(const QString& keyword)
{
    m_window->EdtSearch->setText(keyword);
    QTest::keyClick(m_window->EdtSearch, Qt::Key_Return);
}

void TestSearchWindow::clickSearch()
{
    QTest::mouseClick(m_window->BtnSearch, Qt::LeftButton);
}

void TestSearchWindow::waitUntilIdle()
{
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->fetchRunning && !m_window->tmr1.isActive(), 10000);
}

QStringList TestSearchWindow::searchRequests() const
{
    return m_site.requestLog().filter(QStringLiteral("GET /search/"));
}

void TestSearchWindow::clickHeader(int column)
{
    QHeaderView* header = m_window->lv1->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

void TestSearchWindow::enterSearchesAndRowsArriveOnePerTick()
{
    QList<int> countsAfterTicks;
    connect(&m_window->tmr1, &QTimer::timeout, this, [&] { countsAfterTicks.append(m_window->rowCount()); });

    search(QStringLiteral("电影"));
    QCOMPARE(caption(), QStringLiteral("拼命搜索中..."));
    waitUntilIdle();
    QCOMPARE(searchRequests(), QStringList{QStringLiteral("GET ") + QString::fromLatin1(movieUtf8Path) + "1"});
    // One row per tick, then one more tick that finds no row and stops the timer.
    QCOMPARE(countsAfterTicks.size(), 26);
    for (int i = 0; i < 25; ++i)
        QCOMPARE(countsAfterTicks[i], i + 1);
    QCOMPARE(countsAfterTicks.last(), 25);
    QCOMPARE(titleHeader(), counterPrefix + QStringLiteral("25个结果"));
    QCOMPARE(caption(), QStringLiteral("加 载 更 多"));
    QCOMPARE(m_window->paging.pageCounter, 1);
    QCOMPARE(m_window->paging.totalPages, 4);
    QCOMPARE(m_window->paging.lastKeyword, CodePage::toGbk(QStringLiteral("电影")));
    const ResultRow first = m_window->rowAt(0);
    QVERIFY(!first.title.isEmpty());
    QCOMPARE(first.informationKey.size(), 40);
    QVERIFY(first.address.startsWith("magnet:?xt=urn:btih:" + first.informationKey));

    clickSearch();
    waitUntilIdle();
    QCOMPARE(m_window->rowCount(), 50);
    QCOMPARE(titleHeader(), QStringLiteral("    电    影    名        本次共检索到50个结果"));
    clickSearch();
    waitUntilIdle();
    QCOMPARE(caption(), QStringLiteral("加 载 更 多"));
    clickSearch();
    waitUntilIdle();
    QCOMPARE(m_window->rowCount(), 100);
    QCOMPARE(caption(), QStringLiteral("搜 索 完 毕"));
    QCOMPARE(m_boxes->count(), 0);

    clickSearch();
    QCOMPARE(m_boxes->texts(), QStringList{QStringLiteral("所有内容已加载完毕,如需搜索更多内容,就换个关键词咯!")});
    QCOMPARE(m_boxes->requests().first().kind, MessageBoxes::Kind::Plain);
    QVERIFY(!m_window->fetchRunning);
    QStringList expected;
    for (int page = 1; page <= 4; ++page)
        expected << QStringLiteral("GET ") + QString::fromLatin1(movieUtf8Path) + QString::number(page);
    QCOMPARE(searchRequests(), expected);
}

void TestSearchWindow::emptyKeywordAndBlankKeyword()
{
    search(QString());
    QCOMPARE(m_boxes->texts(), QStringList{QStringLiteral("其实俺也知道你是个好银,可是,尼玛关键词不填,你让我搜神马?")});
    QCOMPARE(caption(), QStringLiteral("搜     索"));
    QVERIFY(!m_window->fetchRunning);
    QCOMPARE(m_window->paging.pageCounter, 0);

    search(QStringLiteral("   "));
    waitUntilIdle();
    QCOMPARE(searchRequests(), QStringList{QStringLiteral("GET /search/+++/1")});
    QCOMPARE(m_window->rowCount(), 25);
    QCOMPARE(m_boxes->count(), 1);
}

void TestSearchWindow::changedKeywordStartsAtPageOneAndKeepsRows()
{
    search(QStringLiteral("电影"));
    waitUntilIdle();
    clickSearch();
    waitUntilIdle();
    QCOMPARE(m_window->paging.pageCounter, 2);

    // A key that makes the box differ from the last keyword resets the caption before it takes effect.
    QTest::keyClick(m_window->EdtSearch, Qt::Key_2);
    QCOMPARE(m_window->EdtSearch->text(), QStringLiteral("电影2"));
    QCOMPARE(caption(), QStringLiteral("加 载 更 多")); // the box still read 电影 when the key came
    QTest::keyClick(m_window->EdtSearch, Qt::Key_3);
    QCOMPARE(caption(), QStringLiteral("搜     索"));
    QTest::keyClick(m_window->EdtSearch, Qt::Key_Return);
    waitUntilIdle();
    QCOMPARE(searchRequests().last(), QStringLiteral("GET /search/%E7%94%B5%E5%BD%B123/1"));
    QCOMPARE(m_window->rowCount(), 75);
    QCOMPARE(m_window->paging.pageCounter, 1);
    QCOMPARE(titleHeader(), counterPrefix + QStringLiteral("75个结果"));
}

void TestSearchWindow::pageWithoutPaginationAndNewKeywordReset()
{
    search(QStringLiteral("first"));
    waitUntilIdle();
    QCOMPARE(m_window->paging.totalPageText, QByteArray("4"));

    // The next keyword's page has no pagination block: its page count is 0, not the earlier keyword's 4.
    m_site.setSwitch(QStringLiteral("search.nopagination"), QStringLiteral("1"));
    search(QStringLiteral("second"));
    waitUntilIdle();
    QCOMPARE(m_window->rowCount(), 50);
    QCOMPARE(m_window->paging.totalPages, 0);
    QCOMPARE(caption(), QStringLiteral("搜 索 完 毕"));
    clickSearch();
    QCOMPARE(m_boxes->lastText(), QStringLiteral("所有内容已加载完毕,如需搜索更多内容,就换个关键词咯!"));
    QCOMPARE(searchRequests().size(), 2);
}

void TestSearchWindow::nonNumericPageCountStillGivesRows()
{
    m_site.setSwitch(QStringLiteral("search.lastlink"), QStringLiteral("末页"));
    search(QStringLiteral("kungfu"));
    waitUntilIdle();
    QCOMPARE(m_window->rowCount(), 25);
    QCOMPARE(m_window->paging.totalPageText, CodePage::toGbk(QStringLiteral("末页")));
    QCOMPARE(m_window->paging.totalPages, 99999);
    QCOMPARE(m_window->paging.lastKeyword, QByteArray("kungfu"));
    QCOMPARE(caption(), QStringLiteral("加 载 更 多"));
    clickSearch();
    waitUntilIdle();
    QCOMPARE(searchRequests().last(), QStringLiteral("GET /search/kungfu/2"));
}

void TestSearchWindow::failedFetchGivesThePageBack()
{
    // First fetch of a keyword fails: no message, back to the idle caption, page 1 next time.
    qputenv("QUVO_SEARCH_SITE", m_deadAddress);
    search(QStringLiteral("x"));
    QCOMPARE(caption(), QStringLiteral("拼命搜索中..."));
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->fetchRunning, 5000);
    QCOMPARE(caption(), QStringLiteral("搜     索"));
    QCOMPARE(m_window->paging.pageCounter, 0);
    QCOMPARE(m_window->paging.lastKeyword, QByteArray());
    QVERIFY(!m_window->tmr1.isActive());

    qputenv("QUVO_SEARCH_SITE", m_site.baseUrl());
    clickSearch();
    waitUntilIdle();
    QCOMPARE(searchRequests(), QStringList{QStringLiteral("GET /search/x/1")});

    // A later page fails: the next click asks for the same page again.
    qputenv("QUVO_SEARCH_SITE", m_deadAddress);
    clickSearch();
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->fetchRunning, 5000);
    QCOMPARE(caption(), QStringLiteral("加 载 更 多"));
    QCOMPARE(m_window->paging.pageCounter, 1);
    QCOMPARE(m_window->rowCount(), 25);
    qputenv("QUVO_SEARCH_SITE", m_site.baseUrl());
    clickSearch();
    waitUntilIdle();
    QCOMPARE(searchRequests(), (QStringList{QStringLiteral("GET /search/x/1"), QStringLiteral("GET /search/x/2")}));
    QCOMPARE(m_boxes->count(), 0);
}

void TestSearchWindow::clickWhileFetchingIsIgnored()
{
    m_site.setSwitch(QStringLiteral("search.stall"), QStringLiteral("20"));
    search(QStringLiteral("slow"));
    QTRY_COMPARE(searchRequests().size(), 1);
    clickSearch();
    QTest::keyClick(m_window->EdtSearch, Qt::Key_Return);
    QTest::qWait(100);
    m_site.setSwitch(QStringLiteral("search.stall"), QString());
    waitUntilIdle();
    QCOMPARE(searchRequests(), QStringList{QStringLiteral("GET /search/slow/1")});
    QCOMPARE(m_window->rowCount(), 25);
    QCOMPARE(m_window->paging.pageCounter, 1);
    QCOMPARE(m_boxes->count(), 0);
}

void TestSearchWindow::windowGoesAwayDuringFetch()
{
    m_site.setSwitch(QStringLiteral("search.stall"), QStringLiteral("20"));
    search(QStringLiteral("slow"));
    QTRY_COMPARE(searchRequests().size(), 1);
    QElapsedTimer timer;
    timer.start();
    m_window.reset(); // stops the worker and waits for it
    QVERIFY2(timer.elapsed() < 3000, QByteArray::number(timer.elapsed()));
    m_site.setSwitch(QStringLiteral("search.stall"), QString());
    QTest::qWait(200); // nothing arrives at the destroyed window
}

void TestSearchWindow::clearWithCancelAndWithOk()
{
    // An empty list still asks, and still resets.
    m_window->btnClear->click();
    QCOMPARE(m_boxes->count(), 1);
    QCOMPARE(m_boxes->requests()[0].kind, MessageBoxes::Kind::Confirm);
    QCOMPARE(m_boxes->requests()[0].caption, QStringLiteral("提示"));
    QCOMPARE(m_boxes->requests()[0].text, QStringLiteral("点击确定将清空搜索结果列表,确定?!"));
    const QString restart = QStringLiteral("    电    影    名        请  重  新  开  始  搜  索");
    QCOMPARE(titleHeader(), restart);

    search(QStringLiteral("电影"));
    waitUntilIdle();
    clickSearch();
    waitUntilIdle();
    const SearchPaging before = m_window->paging;

    m_boxes->answerNext(MessageBoxes::Answer::Cancel);
    m_window->N1->trigger();
    QCOMPARE(m_boxes->count(), 2);
    QCOMPARE(m_window->rowCount(), 50);
    QCOMPARE(caption(), QStringLiteral("加 载 更 多"));
    QCOMPARE(m_window->paging.pageCounter, 2);
    QCOMPARE(titleHeader(), counterPrefix + QStringLiteral("50个结果"));

    m_window->N1->trigger();
    QCOMPARE(m_boxes->count(), 3);
    QCOMPARE(m_window->rowCount(), 0);
    QCOMPARE(titleHeader(), restart);
    QCOMPARE(caption(), QStringLiteral("搜     索"));
    QCOMPARE(m_window->paging.pageCounter, 0);
    QCOMPARE(m_window->paging.totalPages, 99999);
    QCOMPARE(m_window->paging.lastKeyword, before.lastKeyword);
    QCOMPARE(m_window->paging.totalPageText, before.totalPageText);

    // The same keyword starts again at page 1; the counter starts again at 1.
    QList<QString> headersAfterTicks;
    connect(&m_window->tmr1, &QTimer::timeout, this, [&] { headersAfterTicks.append(titleHeader()); });
    clickSearch();
    waitUntilIdle();
    QCOMPARE(searchRequests().last(), QStringLiteral("GET ") + QString::fromLatin1(movieUtf8Path) + "1");
    QCOMPARE(headersAfterTicks.first(), counterPrefix + QStringLiteral("1个结果"));
    QCOMPARE(m_window->rowCount(), 25);
}

void TestSearchWindow::sortingByEachHeader()
{
    const QList<ResultRow> arrivals = {
        {"beta", "700 MB", "a1", "k1"},   {"Alpha", "1.5 GB", "a2", "k2"},
        {"alpha", "10.2 GB", "a3", "k3"}, {CodePage::toGbk(QStringLiteral("电影")), "9.5 MB", "a4", "k4"},
        {"ALPHA", "n/a", "a5", "k5"},     {"gamma", "512 B", "a6", "k6"},
    };
    for (const ResultRow& row : arrivals)
        m_window->addResultRow(row);
    auto column = [&](int which) {
        QList<QByteArray> values;
        for (int i = 0; i < m_window->rowCount(); ++i) {
            const ResultRow row = m_window->rowAt(i);
            values << (which == 0 ? row.title : which == 1 ? row.size : row.address);
        }
        return values;
    };
    // Before any header click the arrival order stands.
    QCOMPARE(column(2), (QList<QByteArray>{"a1", "a2", "a3", "a4", "a5", "a6"}));

    m_window->lv1->selectRow(0); // "beta"
    clickHeader(0);
    QCOMPARE(m_window->sortColumn, 0);
    QCOMPARE(m_window->sortDirection, 1);
    // Titles equal but for letter case keep their arrival order; Chinese (GBK bytes) after ASCII.
    QCOMPARE(column(2), (QList<QByteArray>{"a2", "a3", "a5", "a1", "a6", "a4"}));
    QCOMPARE(m_window->selectedRow()->address, QByteArray("a1"));

    clickHeader(0);
    QCOMPARE(m_window->sortDirection, -1);
    QCOMPARE(column(2), (QList<QByteArray>{"a4", "a6", "a1", "a2", "a3", "a5"}));

    // The other column continues the toggling: ascending now. Sizes by magnitude, unreadable last.
    clickHeader(1);
    QCOMPARE(m_window->sortColumn, 1);
    QCOMPARE(m_window->sortDirection, 1);
    QCOMPARE(column(1), (QList<QByteArray>{"512 B", "9.5 MB", "700 MB", "1.5 GB", "10.2 GB", "n/a"}));
    clickHeader(1);
    QCOMPARE(column(1), (QList<QByteArray>{"n/a", "10.2 GB", "1.5 GB", "700 MB", "9.5 MB", "512 B"}));

    // New rows take their place in the current order.
    m_window->addResultRow({"new", "800 MB", "a7", "k7"});
    m_window->addResultRow({"new2", "10.2 GB", "a8", "k8"});
    QCOMPARE(column(2), (QList<QByteArray>{"a5", "a3", "a8", "a2", "a7", "a1", "a4", "a6"}));
    // The shown text follows the stored bytes.
    QCOMPARE(m_window->lv1->item(6, 0)->text(), QStringLiteral("电影"));
    QCOMPARE(m_window->lv1->item(0, 1)->text(), QStringLiteral("n/a"));
}

void TestSearchWindow::traditionalBox()
{
    m_window->EdtSearch->setText(QStringLiteral("电影 2013"));
    QTest::mouseClick(m_window->chkChkJFzh, Qt::LeftButton);
    QVERIFY(m_window->chkChkJFzh->isChecked());
    QCOMPARE(m_window->EdtSearch->text(), QStringLiteral("電影 2013"));
    QTest::mouseClick(m_window->chkChkJFzh, Qt::LeftButton);
    QCOMPARE(m_window->EdtSearch->text(), QStringLiteral("电影 2013"));
    QTest::mouseClick(m_window->chkChkJFzh, Qt::LeftButton);
    QCOMPARE(m_window->EdtSearch->text(), QStringLiteral("電影 2013"));

    // Text typed after ticking is converted by the search click, before it is sent.
    search(QStringLiteral("电影"));
    QCOMPARE(m_window->EdtSearch->text(), QStringLiteral("電影"));
    waitUntilIdle();
    QCOMPARE(searchRequests(), QStringList{QStringLiteral("GET /search/%E9%9B%BB%E5%BD%B1/1")});
    QCOMPARE(m_window->paging.lastKeyword, CodePage::toGbk(QStringLiteral("電影")));
}

QTEST_MAIN(TestSearchWindow)
#include "test_search_window.moc"
