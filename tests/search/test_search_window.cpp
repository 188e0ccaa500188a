// The search in the real main window, driven with keys and clicks against the sample site. The
// window is reached as a user reaches it: its controls by name, its result list through the view.
#include "app/tformmain.h"
#include "config/remoteconfiguration.h"
#include "platform/codepage.h"
#include "platform/registry.h"
#include "platform/testhooks.h"
#include "samplesite.h"
#include "search/keywordhistory.h"
#include "search/resultmodel.h"
#include "search/searchrecord.h"
#include "search/searchsites.h"
#include "testmain.h"
#include "testsupport.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QCompleter>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStringListModel>
#include <QTableView>
#include <QTest>

#include <memory>

class TestSearchWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void enterSearchesAndPagesThrough();
    void emptyKeywordAndBlankKeyword();
    void changedKeywordStartsAtPageOneAndKeepsRows();
    void captionFollowsInputMethodText();
    void nonNumericPageCountStillGivesRows();
    void failedFetchGivesThePageBack();
    void clickWhileFetchingIsIgnoredAndCaptionStaysBusy();
    void windowGoesAwayDuringFetch();
    void clearWithCancelAndWithOk();
    void sortingByEachHeaderKeepsTheSelection();
    void traditionalBox();
    void presetWordNeverReplacesTyping();
    void failedPageAndFailoverToTheMirror_data();
    void failedPageAndFailoverToTheMirror();
    void ownSiteFromTheListMenu();
    void keywordHistory();

private:
    QLineEdit* box() const { return m_window->findChild<QLineEdit*>(QStringLiteral("EdtSearch")); }
    QPushButton* button() const { return m_window->findChild<QPushButton*>(QStringLiteral("BtnSearch")); }
    QTableView* list() const { return m_window->findChild<QTableView*>(QStringLiteral("lv1")); }
    // The list's rows as the list holds them (title, size, address, key), in their shown order.
    ResultModel* rows() const { return qobject_cast<ResultModel*>(list()->model()); }
    int rowCount() const { return list()->model()->rowCount(); }
    QByteArray selectedAddress() const;
    void search(const QString& keyword) { searchFromKeywordBox(m_window.get(), keyword); }
    void clickSearch() { QTest::mouseClick(button(), Qt::LeftButton); }
    void clear() { m_window->findChild<QAction*>(QStringLiteral("N1"))->trigger(); }
    void waitUntilIdle();
    QString titleHeader() const { return list()->model()->headerData(0, Qt::Horizontal).toString(); }
    QString shown(int row, int column) const { return list()->model()->index(row, column).data().toString(); }
    QString caption() const { return button()->text(); }
    QStringList searchRequests() const;
    void clickHeader(int column);

    QStringList mirrorRequests() { return m_world.mirror().requestLog().filter(QStringLiteral("GET /search/")); }
    QString registryValue(const QString& name) const { return Registry::readString(SearchSites::registryKey, name); }

    // A registry of each test's own: the sites the search remembers stay out of the real one.
    ProgramWorld m_world{
        {.productServerRefused = true, .searchOnSite = true, .browserRecorded = true, .searchMirror = true}};
    std::unique_ptr<MessageBoxRecorder> m_boxes;
    std::unique_ptr<TFormmain> m_window;
};

namespace {
const QString counterPrefix = QStringLiteral("    电    影    名        本次共检索到");
const QString busyCaption = QStringLiteral("拼命搜索中...");
const QString idleCaption = QStringLiteral("搜     索");
const QString moreCaption = QStringLiteral("加 载 更 多");
const QString doneCaption = QStringLiteral("搜 索 完 毕");
const QString allLoaded = QStringLiteral("所有内容已加载完毕,如需搜索更多内容,就换个关键词咯!");
const QByteArray movieUtf8Path = "/search/%E7%94%B5%E5%BD%B1/";
} // namespace

void TestSearchWindow::init()
{
    QVERIFY(m_world.reset());
    QVERIFY(openMainWindow(m_window, m_boxes));
}

void TestSearchWindow::cleanup()
{
    m_world.site().setSwitch(QStringLiteral("search.stall"), QString());
    testHooks().searchPageLimits.reset();
    m_window.reset();
    m_boxes.reset();
    m_world.finish();
}

void TestSearchWindow::waitUntilIdle()
{
    // The button says so for as long as a page is fetched or cut into rows.
    QTRY_VERIFY_WITH_TIMEOUT(caption() != busyCaption, 10000);
}

QStringList TestSearchWindow::searchRequests() const
{
    return m_world.site().requestLog().filter(QStringLiteral("GET /search/"));
}

QByteArray TestSearchWindow::selectedAddress() const
{
    const QModelIndexList selected = list()->selectionModel()->selectedRows();
    return selected.size() == 1 ? rows()->row(selected.first().row()).address : QByteArray();
}

void TestSearchWindow::clickHeader(int column)
{
    QHeaderView* header = list()->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

void TestSearchWindow::enterSearchesAndPagesThrough()
{
    search(QStringLiteral("电影"));
    QCOMPARE(caption(), busyCaption);
    QTRY_VERIFY(rowCount() > 0);
    QVERIFY(rowCount() < 25); // rows come in one by one
    waitUntilIdle();
    QCOMPARE(searchRequests(), QStringList{QStringLiteral("GET ") + QString::fromLatin1(movieUtf8Path) + "1"});
    QCOMPARE(rowCount(), 25);
    QCOMPARE(list()->model()->rowCount(), 25);
    QCOMPARE(titleHeader(), counterPrefix + QStringLiteral("25个结果"));
    QCOMPARE(caption(), moreCaption);
    const ResultRow first = rows()->row(0);
    QCOMPARE(shown(0, 0), CodePage::fromGbk(first.title));
    QCOMPARE(shown(0, 1), CodePage::fromGbk(first.size));
    QCOMPARE(first.informationKey.size(), 40);
    QVERIFY(first.address.startsWith("magnet:?xt=urn:btih:" + first.informationKey));

    for (int page = 2; page <= 4; ++page) {
        clickSearch();
        waitUntilIdle();
    }
    QCOMPARE(rowCount(), 100);
    QCOMPARE(titleHeader(), counterPrefix + QStringLiteral("100个结果"));
    QCOMPARE(caption(), doneCaption);
    QCOMPARE(m_boxes->count(), 0);

    clickSearch();
    QCOMPARE(m_boxes->texts(), QStringList{allLoaded});
    QCOMPARE(m_boxes->requests().first().kind, MessageBoxes::Kind::Plain);
    QStringList expected;
    for (int page = 1; page <= 4; ++page)
        expected << QStringLiteral("GET ") + QString::fromLatin1(movieUtf8Path) + QString::number(page);
    QCOMPARE(searchRequests(), expected);
}

void TestSearchWindow::emptyKeywordAndBlankKeyword()
{
    search(QString());
    QCOMPARE(m_boxes->texts(), QStringList{QStringLiteral("其实俺也知道你是个好银,可是,尼玛关键词不填,你让我搜神马?")});
    QCOMPARE(caption(), idleCaption);
    QTest::qWait(100); // room for a request, which must not come
    QVERIFY(searchRequests().isEmpty());

    search(QStringLiteral("   "));
    waitUntilIdle();
    QCOMPARE(searchRequests(), QStringList{QStringLiteral("GET /search/+++/1")});
    QCOMPARE(rowCount(), 25);
    QCOMPARE(m_boxes->count(), 1);
}

void TestSearchWindow::changedKeywordStartsAtPageOneAndKeepsRows()
{
    search(QStringLiteral("电影"));
    waitUntilIdle();
    clickSearch();
    waitUntilIdle();

    // A key that makes the box differ from the keyword searched resets the caption at once.
    QTest::keyClick(box(), Qt::Key_2);
    QCOMPARE(box()->text(), QStringLiteral("电影2"));
    QCOMPARE(caption(), idleCaption);
    QTest::keyClick(box(), Qt::Key_3);
    QTest::keyClick(box(), Qt::Key_Return);
    waitUntilIdle();
    QCOMPARE(searchRequests().last(), QStringLiteral("GET /search/%E7%94%B5%E5%BD%B123/1"));
    QCOMPARE(rowCount(), 75);
    QCOMPARE(titleHeader(), counterPrefix + QStringLiteral("75个结果"));
    clickSearch();
    waitUntilIdle();
    QCOMPARE(searchRequests().last(), QStringLiteral("GET /search/%E7%94%B5%E5%BD%B123/2"));
}

void TestSearchWindow::captionFollowsInputMethodText()
{
    search(QStringLiteral("film"));
    waitUntilIdle();
    QCOMPARE(caption(), moreCaption);
    // Chinese arrives through an input method, without key presses.
    box()->setFocus();
    QInputMethodEvent preedit(QStringLiteral("dianying"), {});
    QApplication::sendEvent(box(), &preedit);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("电影"));
    QApplication::sendEvent(box(), &commit);
    QCOMPARE(box()->text(), QStringLiteral("film电影"));
    QCOMPARE(caption(), idleCaption);
}

void TestSearchWindow::nonNumericPageCountStillGivesRows()
{
    m_world.site().setSwitch(QStringLiteral("search.lastlink"), QStringLiteral("末页"));
    search(QStringLiteral("kungfu"));
    waitUntilIdle();
    QCOMPARE(rowCount(), 25);
    QCOMPARE(caption(), moreCaption);
    clickSearch();
    waitUntilIdle();
    QCOMPARE(searchRequests().last(), QStringLiteral("GET /search/kungfu/2"));
}

void TestSearchWindow::failedFetchGivesThePageBack()
{
    // First fetch of a keyword fails: no message, back to the idle caption, page 1 next time.
    qputenv("QUVO_SEARCH_SITE", m_world.refusedUrl());
    search(QStringLiteral("x"));
    QCOMPARE(caption(), busyCaption);
    waitUntilIdle();
    QCOMPARE(caption(), idleCaption);

    qputenv("QUVO_SEARCH_SITE", m_world.baseUrl());
    clickSearch();
    waitUntilIdle();
    QCOMPARE(searchRequests(), QStringList{QStringLiteral("GET /search/x/1")});

    // A later page fails: the next click asks for the same page again.
    qputenv("QUVO_SEARCH_SITE", m_world.refusedUrl());
    clickSearch();
    QCOMPARE(caption(), busyCaption);
    waitUntilIdle();
    QCOMPARE(caption(), moreCaption);
    QCOMPARE(rowCount(), 25);
    qputenv("QUVO_SEARCH_SITE", m_world.baseUrl());
    clickSearch();
    waitUntilIdle();
    QCOMPARE(searchRequests(), (QStringList{QStringLiteral("GET /search/x/1"), QStringLiteral("GET /search/x/2")}));
    QCOMPARE(m_boxes->count(), 0);
}

void TestSearchWindow::clickWhileFetchingIsIgnoredAndCaptionStaysBusy()
{
    m_world.site().setSwitch(QStringLiteral("search.stall"), QStringLiteral("20"));
    search(QStringLiteral("slow"));
    QTRY_COMPARE(searchRequests().size(), 1);
    clickSearch();
    QTest::keyClick(box(), Qt::Key_Return);
    // The box is edited while the page is on its way: the button still says the search runs.
    QTest::keyClick(box(), Qt::Key_R);
    QCOMPARE(caption(), busyCaption);
    QTest::qWait(100); // room for a second request for the ignored click and Return, which must not come
    m_world.site().setSwitch(QStringLiteral("search.stall"), QString());
    QTRY_VERIFY(rowCount() > 0);
    QTest::keyClick(box(), Qt::Key_S); // and while its rows come in
    QCOMPARE(caption(), busyCaption);
    waitUntilIdle();
    // When it ends, the button says that a click searches the edited keyword.
    QCOMPARE(caption(), idleCaption);
    QCOMPARE(searchRequests(), QStringList{QStringLiteral("GET /search/slow/1")});
    QCOMPARE(rowCount(), 25);
    QCOMPARE(m_boxes->count(), 0);
    // The page belonged to the keyword fetched, so the edited one is new and starts at its page 1.
    QTest::keyClick(box(), Qt::Key_Return);
    waitUntilIdle();
    QCOMPARE(searchRequests().last(), QStringLiteral("GET /search/slowrs/1"));
}

void TestSearchWindow::windowGoesAwayDuringFetch()
{
    m_world.site().setSwitch(QStringLiteral("search.stall"), QStringLiteral("20"));
    search(QStringLiteral("slow"));
    QTRY_COMPARE(searchRequests().size(), 1);
    QElapsedTimer timer;
    timer.start();
    m_window.reset(); // cancels the fetch
    QVERIFY2(timer.elapsed() < 3000, QByteArray::number(timer.elapsed()));
    m_world.site().setSwitch(QStringLiteral("search.stall"), QString());
    QTest::qWait(200); // nothing arrives at the destroyed window
}

void TestSearchWindow::clearWithCancelAndWithOk()
{
    // An empty list still asks, and still resets.
    m_window->findChild<QPushButton*>(QStringLiteral("btnClear"))->click();
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

    m_boxes->answerNext(MessageBoxes::Answer::Cancel);
    clear();
    QCOMPARE(m_boxes->count(), 2);
    QCOMPARE(rowCount(), 50);
    QCOMPARE(caption(), moreCaption);
    QCOMPARE(titleHeader(), counterPrefix + QStringLiteral("50个结果"));

    clear();
    QCOMPARE(m_boxes->count(), 3);
    QCOMPARE(rowCount(), 0);
    QCOMPARE(list()->model()->rowCount(), 0);
    QCOMPARE(titleHeader(), restart);
    QCOMPARE(caption(), idleCaption);

    // The same keyword starts again at page 1; the counter starts again at 1.
    QStringList headers;
    connect(list()->model(), &QAbstractItemModel::headerDataChanged, this, [&] { headers << titleHeader(); });
    clickSearch();
    waitUntilIdle();
    QCOMPARE(searchRequests().last(), QStringLiteral("GET ") + QString::fromLatin1(movieUtf8Path) + "1");
    QCOMPARE(headers.first(), counterPrefix + QStringLiteral("1个结果"));
    QCOMPARE(rowCount(), 25);
    clickSearch();
    waitUntilIdle();
    QCOMPARE(searchRequests().last(), QStringLiteral("GET ") + QString::fromLatin1(movieUtf8Path) + "2");
}

void TestSearchWindow::sortingByEachHeaderKeepsTheSelection()
{
    const QList<ResultRow> arrivals = {
        {"beta", "700 MB", "a1", "k1"},   {"Alpha", "1.5 GB", "a2", "k2"},
        {"alpha", "10.2 GB", "a3", "k3"}, {CodePage::toGbk(QStringLiteral("电影")), "9.5 MB", "a4", "k4"},
        {"ALPHA", "n/a", "a5", "k5"},     {"gamma", "512 B", "a6", "k6"},
    };
    for (const ResultRow& row : arrivals)
        rows()->addRow(row);
    auto column = [&](int which) {
        QList<QByteArray> values;
        for (int i = 0; i < rowCount(); ++i) {
            const ResultRow row = rows()->row(i);
            values << (which == 0 ? row.title : which == 1 ? row.size : row.address);
        }
        return values;
    };
    // Before any header click the arrival order stands.
    QCOMPARE(column(2), (QList<QByteArray>{"a1", "a2", "a3", "a4", "a5", "a6"}));

    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                      list()->visualRect(list()->model()->index(0, 0)).center());
    QCOMPARE(selectedAddress(), QByteArray("a1")); // "beta"
    clickHeader(0);
    // Titles equal but for letter case keep their arrival order; Chinese (GBK bytes) after ASCII.
    QCOMPARE(column(2), (QList<QByteArray>{"a2", "a3", "a5", "a1", "a6", "a4"}));
    QCOMPARE(selectedAddress(), QByteArray("a1"));
    QCOMPARE(list()->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(list()->selectionModel()->selectedRows().first().row(), 3);

    clickHeader(0);
    QCOMPARE(column(2), (QList<QByteArray>{"a4", "a6", "a1", "a2", "a3", "a5"}));
    QCOMPARE(selectedAddress(), QByteArray("a1"));

    // The other column continues the toggling: ascending now. Sizes by magnitude, unreadable last.
    clickHeader(1);
    QCOMPARE(column(1), (QList<QByteArray>{"512 B", "9.5 MB", "700 MB", "1.5 GB", "10.2 GB", "n/a"}));
    clickHeader(1);
    QCOMPARE(column(1), (QList<QByteArray>{"n/a", "10.2 GB", "1.5 GB", "700 MB", "9.5 MB", "512 B"}));

    // New rows take their place in the current order; the selection stays on its row.
    rows()->addRow({"new", "800 MB", "a7", "k7"});
    rows()->addRow({"new2", "10.2 GB", "a8", "k8"});
    QCOMPARE(column(2), (QList<QByteArray>{"a5", "a3", "a8", "a2", "a7", "a1", "a4", "a6"}));
    QCOMPARE(selectedAddress(), QByteArray("a1"));
    // The shown text follows the stored bytes.
    QCOMPARE(shown(6, 0), QStringLiteral("电影"));
    QCOMPARE(shown(0, 1), QStringLiteral("n/a"));
}

void TestSearchWindow::traditionalBox()
{
    QCheckBox* traditional = m_window->findChild<QCheckBox*>(QStringLiteral("chkChkJFzh"));
    box()->setText(QStringLiteral("电影 2013"));
    QTest::mouseClick(traditional, Qt::LeftButton);
    QVERIFY(traditional->isChecked());
    QCOMPARE(box()->text(), QStringLiteral("電影 2013"));
    QTest::mouseClick(traditional, Qt::LeftButton);
    QCOMPARE(box()->text(), QStringLiteral("电影 2013"));
    QTest::mouseClick(traditional, Qt::LeftButton);
    QCOMPARE(box()->text(), QStringLiteral("電影 2013"));

    // Text typed after ticking is converted by the search click, before it is sent.
    search(QStringLiteral("电影"));
    QCOMPARE(box()->text(), QStringLiteral("電影"));
    waitUntilIdle();
    QCOMPARE(searchRequests(), QStringList{QStringLiteral("GET /search/%E9%9B%BB%E5%BD%B1/1")});
    QCOMPARE(caption(), moreCaption); // the box holds the keyword searched
}

void TestSearchWindow::presetWordNeverReplacesTyping()
{
    // An untouched box takes the word, and takes a later one too.
    m_window->presetKeywordBox(QStringLiteral("速度与激情"));
    QCOMPARE(box()->text(), QStringLiteral("速度与激情"));
    m_window->presetKeywordBox(QString());
    QCOMPARE(box()->text(), QString());

    // Typed text survives a later word.
    QTest::keyClicks(box(), QStringLiteral("matrix"));
    m_window->presetKeywordBox(QStringLiteral("速度与激情"));
    QCOMPARE(box()->text(), QStringLiteral("matrix"));

    // So does a box that was searched with the word it was given.
    m_window.reset();
    m_window = std::make_unique<TFormmain>();
    m_window->show();
    m_window->presetKeywordBox(QStringLiteral("avatar"));
    clickSearch();
    waitUntilIdle();
    m_window->presetKeywordBox(QStringLiteral("速度与激情"));
    QCOMPARE(box()->text(), QStringLiteral("avatar"));
    QCOMPARE(searchRequests(), QStringList{QStringLiteral("GET /search/avatar/1")});
}

void TestSearchWindow::failedPageAndFailoverToTheMirror_data()
{
    // How the first site fails (its switches; none: it refuses connections); what the header says
    // when no other site is listed; whether the page then goes to the mirror once it is listed.
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<QString>("told");
    QTest::addColumn<bool>("failsOver");
    const QString retry = QStringLiteral("，再点搜索重试");
    QTest::newRow("refuses") << QStringList() << QStringLiteral("第1页未取到：无法连接网站") + retry << true;
    QTest::newRow("stalls") << QStringList{QStringLiteral("search.stall=30")}
                            << QStringLiteral("第1页未取到：连接超时") + retry << true;
    QTest::newRow("answers 500") << QStringList{QStringLiteral("search.status=500"), QStringLiteral("search.pages=0")}
                                 << QStringLiteral("第1页未取到：网站出错(500)") + retry << true;
    QTest::newRow("not a result page") << QStringList{QStringLiteral("search.markup=changed")}
                                       << QStringLiteral("第1页未取到：网站页面已改变") + retry << true;
    // The mirror's own host under another name is not a listed host.
    QTest::newRow("redirects off the list") << QStringList{QStringLiteral("search.redirect=http://localhost:MIRROR")}
                                            << QStringLiteral("第1页未取到：网站转到了别处") + retry << true;
    QTest::newRow("no results") << QStringList{QStringLiteral("search.pages=0")}
                                << QStringLiteral("第1页：没有找到该关键词的结果") << false;
}

void TestSearchWindow::failedPageAndFailoverToTheMirror()
{
    QFETCH(QStringList, switches);
    QFETCH(QString, told);
    QFETCH(bool, failsOver);
    testHooks().searchPageLimits = HttpTimeLimits{
        .connect = std::chrono::seconds(2), .stall = std::chrono::seconds(1), .total = std::chrono::seconds(8)};
    const QByteArray mirror = m_world.mirror().baseUrl();
    if (switches.isEmpty())
        qputenv("QUVO_SEARCH_SITE", m_world.refusedUrl());
    for (const QString& setting : switches) {
        QString value = setting.section(QLatin1Char('='), 1);
        value.replace(QStringLiteral("MIRROR"), QString::number(m_world.mirror().port()));
        m_world.site().setSwitch(setting.section(QLatin1Char('='), 0, 0), value);
    }

    // Only the built-in site: the header tells which page and why; the next click asks again.
    search(QStringLiteral("x"));
    waitUntilIdle();
    QCOMPARE(titleHeader(), QStringLiteral("    电    影    名        ") + told);
    QCOMPARE(rowCount(), 0);
    QCOMPARE(m_boxes->count(), 0);
    QVERIFY(mirrorRequests().isEmpty());
    m_world.site().clearRequestLog();

    // The settings document names the mirror: the same page is asked of it, and it answers.
    remoteConfig().SearchSites = "0|" + mirror;
    clickSearch();
    waitUntilIdle();
    if (!failsOver) {
        QCOMPARE(titleHeader(), QStringLiteral("    电    影    名        ") + told);
        QVERIFY(mirrorRequests().isEmpty());
        QCOMPARE(caption(), doneCaption);
        return;
    }
    QCOMPARE(mirrorRequests(), QStringList{QStringLiteral("GET /search/x/1")});
    QCOMPARE(rowCount(), 25);
    QCOMPARE(titleHeader(), counterPrefix + QStringLiteral("25个结果"));
    QCOMPARE(caption(), moreCaption);
    QCOMPARE(registryValue(SearchSites::answeredValue), QString::fromLatin1(mirror));

    // The next page, and the first page after a restart, start at the mirror.
    m_world.site().clearRequestLog();
    clickSearch();
    waitUntilIdle();
    m_window.reset();
    QVERIFY(openMainWindow(m_window, m_boxes));
    search(QStringLiteral("y"));
    waitUntilIdle();
    QCOMPARE(rowCount(), 25);
    QCOMPARE(mirrorRequests(), (QStringList{QStringLiteral("GET /search/x/1"), QStringLiteral("GET /search/x/2"),
                                            QStringLiteral("GET /search/y/1")}));
    QCOMPARE(searchRequests(), QStringList());
}

void TestSearchWindow::ownSiteFromTheListMenu()
{
    auto* item = m_window->findChild<QAction*>(QStringLiteral("mniSearchSites"));
    QVERIFY(item);
    QCOMPARE(item->text(), QStringLiteral("(&W)搜索网站…"));
    // The list's own items keep their places; the new ones follow them below a separator, the filter's
    // item before this one and the history's after it.
    const QList<QAction*> items = item->associatedObjects().isEmpty()
                                      ? QList<QAction*>()
                                      : qobject_cast<QMenu*>(item->associatedObjects().first())->actions();
    QCOMPARE(items.indexOf(item), 10);
    QVERIFY(items.at(5)->isSeparator());
    QCOMPARE(items.at(9)->objectName(), QStringLiteral("mniFilter"));
    QCOMPARE(items.at(11)->objectName(), QStringLiteral("mniClearHistory"));
    QCOMPARE(items.at(4)->objectName(), QStringLiteral("N1"));

    const auto openDialog = [this] {
        m_window->findChild<QAction*>(QStringLiteral("mniSearchSites"))->trigger();
        auto* dialog = m_window->findChild<QDialog*>(QStringLiteral("SearchSitesDialog"));
        return dialog && dialog->isVisible() ? dialog : nullptr;
    };
    const auto press = [](QDialog* dialog, QDialogButtonBox::StandardButton which) {
        dialog->findChild<QDialogButtonBox*>()->button(which)->click();
    };
    remoteConfig().SearchSites = m_world.mirror().baseUrl();
    QDialog* dialog = openDialog();
    QVERIFY(dialog);
    const QString shown = dialog->findChild<QLabel*>(QStringLiteral("lblSearchSites"))->text();
    QVERIFY2(shown.startsWith(QString::fromLatin1(m_world.baseUrl()) + QStringLiteral("  (内置)\n") +
                              QString::fromLatin1(m_world.mirror().baseUrl()) + QStringLiteral("  (镜像)")),
             qPrintable(shown));

    // Refused: other schemes, paths, queries; the dialog stays open and nothing is kept.
    auto* address = dialog->findChild<QLineEdit*>(QStringLiteral("EdtSearchSite"));
    for (const QString& bad :
         {QStringLiteral("file:///etc"), QStringLiteral("ftp://site.example"), QStringLiteral("/search"),
          QStringLiteral("http://site.example/?q=1"), QStringLiteral("-x")}) {
        address->setText(bad);
        press(dialog, QDialogButtonBox::Ok);
        QVERIFY2(dialog->isVisible(), qPrintable(bad));
        QVERIFY(dialog->findChild<QLabel*>(QStringLiteral("lblSiteRefused"))->isVisible());
    }
    QCOMPARE(registryValue(SearchSites::userAddressValue), QString());

    // The mirror's address as the user's own: asked first from now on, kept for the next run.
    address->setText(QString::fromLatin1(m_world.mirror().baseUrl()).mid(7) + QLatin1Char('/'));
    press(dialog, QDialogButtonBox::Ok);
    QTRY_VERIFY(!m_window->findChild<QDialog*>(QStringLiteral("SearchSitesDialog")));
    QCOMPARE(registryValue(SearchSites::userAddressValue), QString::fromLatin1(m_world.mirror().baseUrl()));
    remoteConfig().SearchSites.clear();
    m_window.reset();
    QVERIFY(openMainWindow(m_window, m_boxes));
    search(QStringLiteral("own"));
    waitUntilIdle();
    QCOMPARE(rowCount(), 25);
    QCOMPARE(mirrorRequests(), QStringList{QStringLiteral("GET /search/own/1")});
    QVERIFY(searchRequests().isEmpty());

    // Emptied: the built-in site again.
    dialog = openDialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->findChild<QLineEdit*>(QStringLiteral("EdtSearchSite"))->text(),
             QString::fromLatin1(m_world.mirror().baseUrl()));
    dialog->findChild<QLineEdit*>(QStringLiteral("EdtSearchSite"))->clear();
    press(dialog, QDialogButtonBox::Ok);
    clickSearch();
    waitUntilIdle();
    QCOMPARE(searchRequests(), QStringList{QStringLiteral("GET /search/own/2")});
}

void TestSearchWindow::keywordHistory()
{
    // Earlier runs: newest first, a keyword searched again moves to the front, at most 30 are kept.
    {
        KeywordHistory earlier;
        for (int i = 0; i <= 30; ++i)
            earlier.record(QStringLiteral("k%1").arg(i));
        earlier.record(QStringLiteral("k5"));
        earlier.record(QStringLiteral("   "));
    }
    QStringList expected{QStringLiteral("k5")};
    for (int i = 30; i >= 1; --i) {
        if (i != 5)
            expected << QStringLiteral("k%1").arg(i);
    }
    QCOMPARE(KeywordHistory().keywords(), expected);

    // A new window offers them; the settings document's word is kept only once it is searched.
    m_window.reset();
    m_window = std::make_unique<TFormmain>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    auto offered = [this] { return qobject_cast<QStringListModel*>(box()->completer()->model())->stringList(); };
    QCOMPARE(offered(), expected);
    m_window->presetKeywordBox(QStringLiteral("速度与激情"));
    QVERIFY(!box()->completer()->popup()->isVisible());
    search(QStringLiteral("电影"));
    waitUntilIdle();
    expected.prepend(QStringLiteral("电影"));
    expected.removeLast();
    QCOMPARE(offered(), expected);

    // Typing offers the keywords that hold the text; Enter in the offer searches, as in the box.
    box()->clear();
    box()->setFocus();
    QTest::keyClicks(box(), QStringLiteral("k2"));
    QTRY_VERIFY(box()->completer()->popup()->isVisible());
    QCOMPARE(box()->completer()->completionCount(), 11); // k2, k20..k29
    QTest::keyClick(box()->completer()->popup(), Qt::Key_Return);
    waitUntilIdle();
    QCOMPARE(searchRequests().last(), QStringLiteral("GET /search/k2/1"));
    QCOMPARE(offered().first(), QStringLiteral("k2"));
    QCOMPARE(SearchRecord::keywords(), offered()); // kept for the next run

    // The drop-down (Down) offers all of them; clearing forgets them, for the next run too.
    box()->clear();
    QTest::keyClick(box(), Qt::Key_Down);
    QTRY_VERIFY(box()->completer()->popup()->isVisible());
    QCOMPARE(box()->completer()->completionCount(), KeywordHistory::capacity);
    QTest::keyClick(box()->completer()->popup(), Qt::Key_Escape);
    m_window->findChild<QAction*>(QStringLiteral("mniClearHistory"))->trigger();
    QCOMPARE(offered(), QStringList());
    QCOMPARE(KeywordHistory().keywords(), QStringList());
    m_window->presetKeywordBox(QStringLiteral("速度与激情")); // the box was searched: stays
    search(QStringLiteral("速度与激情"));
    waitUntilIdle();
    QCOMPARE(offered(), QStringList{QStringLiteral("速度与激情")});
}

QUVO_TEST_MAIN(TestSearchWindow)
#include "test_search_window.moc"
