// The page fetch worker and the search session against the sample site on 127.0.0.1: address,
// decoding, failures; paging, row pacing and the search button's state, without a window.
#include "platform/codepage.h"
#include "platform/httpclient.h"
#include "platform/systemproxy.h"
#include "samplesite.h"
#include "search/mygetwebthread.h"
#include "search/searchsession.h"
#include "systemproxysetting.h"
#include "testmain.h"
#include "testsupport.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTest>

#include <memory>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

class TestSearchFetch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void addressOfKeywordAndPage();
    void fetchesAndConvertsToGbk();
    void pageDecodedByItsCharset();
    void errorStatusIsTakenInLikeAnyPage();
    void refusedConnectionFails();
    void stalledServerFails();
    void fetchGoesThroughTheSystemsProxy();
    void givenUpFetchReportsNothing();
    void sessionPagesThroughAKeyword();
    void sessionNewKeywordAndClear();
    void sessionFailedFirstPageKeepsThePreviousPaging();
    void sessionCaptionStaysBusyWhileTheBoxChanges();
    void sessionGoesAwayDuringFetch();

private:
    struct Outcome {
        bool fetched = false;
        bool failed = false;
        QByteArray page;
        bool workerGone = false; // the worker freed itself in time
    };
    Outcome fetch(const QByteArray& keyword, qint32 page, const QByteArray& root, int timeoutMs = 10000);

    SampleSite* m_site = nullptr;
};

namespace {

using Caption = SearchSession::Caption;
using Click = SearchSession::Outcome;

// What a session hands out, as the window would receive it.
struct SessionRecord {
    explicit SessionRecord(SearchSession& session)
    {
        QObject::connect(&session, &SearchSession::rowReady, &session, [this](const ResultRow& row) { rows << row; });
        QObject::connect(&session, &SearchSession::captionChanged, &session,
                         [this](Caption caption) { captions << caption; });
        QObject::connect(&session, &SearchSession::counterTextChanged, &session,
                         [this](const QString& text) { counters << text; });
    }
    QList<ResultRow> rows;
    QList<Caption> captions;
    QStringList counters;
};

bool waitUntilIdle(const SearchSession& session, int timeoutMs = 10000)
{
    return QTest::qWaitFor([&] { return !session.busy(); }, timeoutMs);
}

// A root address on which nothing listens.
QByteArray deadRoot()
{
    SampleSite closed;
    closed.start();
    return closed.baseUrl();
}

// An HTTP proxy on 127.0.0.1 that records the request line of every request it is asked to pass on,
// and answers it from `target` ("http://127.0.0.1:<port>") whatever host the request names.
class RecordingProxy final {
public:
    explicit RecordingProxy(QByteArray target)
        : m_target(std::move(target)), m_raw([this](RawServer& server, int socket) { pass(server, socket); })
    {
    }
    int port() const { return m_raw.baseUrl().split(':').last().toInt(); }
    QList<QByteArray> requestLines() const
    {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }

private:
    void pass(RawServer& server, int socket)
    {
        const QByteArray line = server.requestHead().left(server.requestHead().indexOf("\r\n"));
        {
            std::lock_guard lock(m_mutex);
            m_lines << line;
        }
        // "GET http://host:port/path HTTP/1.1": the path after the authority.
        const QByteArray address = line.split(' ').value(1);
        const qsizetype path = address.indexOf('/', address.indexOf("//") + 2);
        const HttpResponse answer = HttpClient::get(m_target + (path < 0 ? "/" : address.mid(path)));
        server.send(socket, "HTTP/1.1 " + QByteArray::number(answer.status) + " OK\r\nContent-Type: " +
                                answer.contentType + "\r\nContent-Length: " + QByteArray::number(answer.body.size()) +
                                "\r\nConnection: close\r\n\r\n" + answer.body);
    }

    QByteArray m_target;
    mutable std::mutex m_mutex;
    QList<QByteArray> m_lines;
    RawServer m_raw; // after what its thread uses
};

} // namespace

void TestSearchFetch::init()
{
    m_site = new SampleSite;
    QVERIFY(m_site->start() > 0);
}

void TestSearchFetch::cleanup()
{
    m_site->setSwitch(QStringLiteral("search.stall"), QString());
    delete m_site;
    m_site = nullptr;
}

TestSearchFetch::Outcome TestSearchFetch::fetch(const QByteArray& keyword, qint32 page, const QByteArray& root,
                                                int timeoutMs)
{
    Outcome outcome;
    QPointer<MyGetWebThread> worker = new MyGetWebThread(keyword, page, root);
    worker->setTimeLimits(
        {.connect = std::chrono::seconds(2), .stall = std::chrono::seconds(1), .total = std::chrono::seconds(10)});
    connect(worker, &MyGetWebThread::pageFetched, this, [&](const QByteArray& gbk) {
        outcome.fetched = true;
        outcome.page = gbk;
    });
    connect(worker, &MyGetWebThread::fetchFailed, this, [&] { outcome.failed = true; });
    worker->start();
    // The worker frees itself once its body has ended and the hand-over has been delivered.
    outcome.workerGone = QTest::qWaitFor([&] { return worker.isNull(); }, timeoutMs);
    return outcome;
}

void TestSearchFetch::addressOfKeywordAndPage()
{
    const QByteArray root = "http://site.example";
    QCOMPARE(MyGetWebThread::searchAddress(root, CodePage::toGbk(QStringLiteral("电影")), 1),
             QByteArray("http://site.example/search/%E7%94%B5%E5%BD%B1/1"));
    QCOMPARE(MyGetWebThread::searchAddress(root, "a b", 12), QByteArray("http://site.example/search/a+b/12"));
    QCOMPARE(MyGetWebThread::searchAddress(root, "   ", 1), QByteArray("http://site.example/search/+++/1"));
    QCOMPARE(MyGetWebThread::searchAddress(root, "a/b?c#d", 2),
             QByteArray("http://site.example/search/a%2Fb%3Fc%23d/2"));
}

void TestSearchFetch::fetchesAndConvertsToGbk()
{
    const QByteArray keyword = CodePage::toGbk(QStringLiteral("电影"));
    const Outcome outcome = fetch(keyword, 2, m_site->baseUrl());
    QVERIFY(outcome.workerGone);
    QVERIFY(outcome.fetched);
    QVERIFY(!outcome.failed);
    QCOMPARE(m_site->requestLog(), QStringList{QStringLiteral("GET /search/%E7%94%B5%E5%BD%B1/2")});
    // GBK text: the keyword appears as its GBK bytes, 25 row ends, and "»" (not in GBK) became "?".
    QVERIFY(outcome.page.contains(CodePage::toGbk(QStringLiteral("Search results for 电影"))));
    QCOMPARE(outcome.page.count("</a></td></tr>"), 25);
    QVERIFY(outcome.page.contains(">?</a>"));
    QVERIFY(!outcome.page.contains(QStringLiteral("电影").toUtf8()));

    // Blanks travel as plus signs and reach the site as the same keyword.
    m_site->clearRequestLog();
    const Outcome blanks = fetch("Iron Man", 1, m_site->baseUrl());
    QVERIFY(blanks.fetched);
    QCOMPARE(m_site->requestLog(), QStringList{QStringLiteral("GET /search/Iron+Man/1")});
    QVERIFY(blanks.page.contains("Search results for Iron Man"));
}

void TestSearchFetch::pageDecodedByItsCharset()
{
    const QByteArray keyword = CodePage::toGbk(QStringLiteral("功夫"));
    const Outcome utf8 = fetch(keyword, 1, m_site->baseUrl());
    m_site->setSwitch(QStringLiteral("search.charset"), QStringLiteral("gbk"));
    const Outcome gbk = fetch(keyword, 1, m_site->baseUrl());
    m_site->setSwitch(QStringLiteral("search.charset"), QStringLiteral("none"));
    const Outcome unnamed = fetch(keyword, 1, m_site->baseUrl());
    QVERIFY(utf8.fetched && gbk.fetched && unnamed.fetched);
    QVERIFY(utf8.page.contains(keyword));
    QCOMPARE(gbk.page, utf8.page);
    QCOMPARE(unnamed.page, utf8.page); // no charset named: UTF-8
}

void TestSearchFetch::errorStatusIsTakenInLikeAnyPage()
{
    m_site->setSwitch(QStringLiteral("search.status"), QStringLiteral("500"));
    const Outcome outcome = fetch("x", 1, m_site->baseUrl());
    QVERIFY(outcome.fetched);
    QCOMPARE(outcome.page.count("</a></td></tr>"), 25);
}

void TestSearchFetch::refusedConnectionFails()
{
    const QByteArray root = m_site->baseUrl();
    m_site->stop();
    QElapsedTimer timer;
    timer.start();
    const Outcome outcome = fetch("x", 1, root);
    QVERIFY(outcome.workerGone);
    QVERIFY(outcome.failed);
    QVERIFY(!outcome.fetched);
    QVERIFY(timer.elapsed() < 3000);
}

void TestSearchFetch::stalledServerFails()
{
    m_site->setSwitch(QStringLiteral("search.stall"), QStringLiteral("30"));
    QElapsedTimer timer;
    timer.start();
    const Outcome outcome = fetch("x", 1, m_site->baseUrl());
    QVERIFY(outcome.failed);
    QVERIFY(!outcome.fetched);
    QVERIFY2(timer.elapsed() < 5000, QByteArray::number(timer.elapsed()));
}

// Behind the proxy the system names, the site is reached through it: the site's name is known only
// to the proxy here. Loopback addresses still go direct.
void TestSearchFetch::fetchGoesThroughTheSystemsProxy()
{
    RecordingProxy proxy(m_site->baseUrl());
    SystemProxySetting setting(proxy.port());
    const QByteArray port = m_site->baseUrl().split(':').last();
    const QByteArray namedRoot = "http://films.quvo.test:" + port;

#ifdef Q_OS_WIN
    QCOMPARE(SystemProxy::forUrl(namedRoot + "/").proxy, "http://127.0.0.1:" + QByteArray::number(proxy.port()));
    QCOMPARE(SystemProxy::forUrl(m_site->baseUrl() + "/").proxy, QByteArray());
#endif
    const Outcome outcome = fetch("proxy", 1, namedRoot);
    QVERIFY(outcome.fetched);
    QVERIFY(outcome.page.contains("Search results for proxy"));
    QCOMPARE(proxy.requestLines(), QList<QByteArray>{"GET " + namedRoot + "/search/proxy/1 HTTP/1.1"});
    QCOMPARE(m_site->requestLog(), QStringList{QStringLiteral("GET /search/proxy/1")});

    QVERIFY(fetch("direct", 1, m_site->baseUrl()).fetched);
    QCOMPARE(proxy.requestLines().size(), 1);
    QCOMPARE(m_site->requestLog().size(), 2);
}

void TestSearchFetch::givenUpFetchReportsNothing()
{
    int reports = 0;
    const auto watch = [&](MyGetWebThread* worker) {
        connect(worker, &MyGetWebThread::pageFetched, this, [&] { ++reports; });
        connect(worker, &MyGetWebThread::fetchFailed, this, [&] { ++reports; });
        worker->start();
    };
    // Cancelled while the site keeps silent: it frees itself and the request is dropped at once.
    SilentServer silent;
    QPointer<MyGetWebThread> worker = new MyGetWebThread("x", 1, silent.baseUrl());
    watch(worker);
    QTRY_COMPARE(silent.connections(), 1);
    worker->cancel();
    QTRY_VERIFY(worker.isNull());
    QTRY_COMPARE_WITH_TIMEOUT(silent.hangUps(), 1, 3000);

    // Its parent gone: the same.
    auto parent = std::make_unique<QObject>();
    worker = new MyGetWebThread("x", 2, silent.baseUrl(), parent.get());
    watch(worker);
    QTRY_COMPARE(silent.connections(), 2);
    parent.reset();
    QVERIFY(worker.isNull());
    QTRY_COMPARE_WITH_TIMEOUT(silent.hangUps(), 2, 3000);

    // Cancelled with the page already read and on its way to this thread.
    worker = new MyGetWebThread("x", 3, m_site->baseUrl());
    watch(worker);
    QVERIFY(waitHoldingEvents([&] { return m_site->requestLog().size() == 1; }, 5000));
    worker->cancel();
    QTRY_VERIFY(worker.isNull());
    QTest::qWait(100); // room for a report, which must not come
    QCOMPARE(reports, 0);
}

void TestSearchFetch::sessionPagesThroughAKeyword()
{
    SearchSession session;
    session.setSiteRoot(m_site->baseUrl());
    SessionRecord record(session);
    QCOMPARE(session.search(QByteArray()), Click::EmptyKeyword);
    QVERIFY(record.captions.isEmpty());

    const QByteArray keyword = CodePage::toGbk(QStringLiteral("电影"));
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(session.search(keyword), Click::Started);
    QCOMPARE(session.caption(), Caption::Busy);
    QCOMPARE(session.search(keyword), Click::Busy); // a click while the page is on its way
    QVERIFY(waitUntilIdle(session));
    // One row per tick of the row timer: 25 rows take at least 24 intervals.
    QCOMPARE(record.rows.size(), 25);
    QVERIFY(clock.elapsed() >= 24 * SearchSession::rowInterval);
    QCOMPARE(record.counters.size(), 25);
    QVERIFY(record.counters.last().endsWith(QStringLiteral("25个结果")));
    QCOMPARE(record.captions, (QList<Caption>{Caption::Busy, Caption::More}));
    QCOMPARE(record.rows.first().informationKey.size(), 40);

    for (int page = 2; page <= 4; ++page) {
        QCOMPARE(session.search(keyword), Click::Started);
        QVERIFY(waitUntilIdle(session));
    }
    QCOMPARE(record.rows.size(), 100);
    QVERIFY(record.counters.last().endsWith(QStringLiteral("100个结果")));
    QCOMPARE(session.caption(), Caption::Done);
    QCOMPARE(session.search(keyword), Click::AllLoaded);
    QStringList expected;
    for (int page = 1; page <= 4; ++page)
        expected << QStringLiteral("GET /search/%E7%94%B5%E5%BD%B1/%1").arg(page);
    QCOMPARE(m_site->requestLog(), expected);
}

void TestSearchFetch::sessionNewKeywordAndClear()
{
    SearchSession session;
    session.setSiteRoot(m_site->baseUrl());
    SessionRecord record(session);
    QCOMPARE(session.search("first"), Click::Started);
    QVERIFY(waitUntilIdle(session));
    QCOMPARE(session.paging().totalPages, 4);

    // A new keyword starts at its page 1; its page without a page count does not take the earlier 4.
    m_site->setSwitch(QStringLiteral("search.nopagination"), QStringLiteral("1"));
    QCOMPARE(session.search("second"), Click::Started);
    QVERIFY(waitUntilIdle(session));
    m_site->setSwitch(QStringLiteral("search.nopagination"), QString());
    QCOMPARE(session.paging().totalPages, 0);
    QCOMPARE(session.caption(), Caption::Done);
    QCOMPARE(record.rows.size(), 50);
    QCOMPARE(session.search("second"), Click::AllLoaded);

    // A clear restarts the keyword's paging and the counter; the same keyword fetches page 1 again.
    session.clearList();
    QCOMPARE(session.caption(), Caption::Idle);
    QVERIFY(!record.counters.last().contains(QStringLiteral("结果")));
    const qsizetype afterClear = record.counters.size();
    QCOMPARE(session.search("second"), Click::Started);
    QVERIFY(waitUntilIdle(session));
    QCOMPARE(record.counters.at(afterClear), record.counters.first()); // counting from 1 again
    QVERIFY(record.counters.last().endsWith(QStringLiteral("25个结果")));
    QCOMPARE(m_site->requestLog(),
             (QStringList{QStringLiteral("GET /search/first/1"), QStringLiteral("GET /search/second/1"),
                          QStringLiteral("GET /search/second/1")}));

    // A clear while a page is on its way: its rows still arrive, and the paging starts again too.
    m_site->setSwitch(QStringLiteral("search.stall"), QStringLiteral("20"));
    QCOMPARE(session.search("second"), Click::Started);
    QTRY_COMPARE(m_site->requestLog().size(), 4);
    session.clearList();
    m_site->setSwitch(QStringLiteral("search.stall"), QString());
    QVERIFY(waitUntilIdle(session));
    QVERIFY(record.counters.last().endsWith(QStringLiteral("25个结果")));
    QCOMPARE(session.search("second"), Click::Started);
    QVERIFY(waitUntilIdle(session));
    QCOMPARE(m_site->requestLog().mid(3),
             (QStringList{QStringLiteral("GET /search/second/2"), QStringLiteral("GET /search/second/1")}));
}

void TestSearchFetch::sessionFailedFirstPageKeepsThePreviousPaging()
{
    SearchSession session;
    session.setSiteRoot(m_site->baseUrl());
    SessionRecord record(session);
    for (int page = 1; page <= 2; ++page) {
        QCOMPARE(session.search("old"), Click::Started);
        QVERIFY(waitUntilIdle(session));
    }

    // The first page of another keyword does not arrive: the old keyword's paging stands.
    session.setSiteRoot(deadRoot());
    QCOMPARE(session.search("new"), Click::Started);
    QVERIFY(waitUntilIdle(session));
    QCOMPARE(session.caption(), Caption::Idle);
    QCOMPARE(record.rows.size(), 50);

    // Back to the old keyword: its next page, not its first again.
    session.setSiteRoot(m_site->baseUrl());
    session.keywordBoxChanged("old");
    QCOMPARE(session.search("old"), Click::Started);
    QVERIFY(waitUntilIdle(session));
    QCOMPARE(m_site->requestLog(),
             (QStringList{QStringLiteral("GET /search/old/1"), QStringLiteral("GET /search/old/2"),
                          QStringLiteral("GET /search/old/3")}));
    // And the new keyword, once its page arrives, starts at its page 1.
    QCOMPARE(session.search("new"), Click::Started);
    QVERIFY(waitUntilIdle(session));
    QCOMPARE(m_site->requestLog().last(), QStringLiteral("GET /search/new/1"));
    QCOMPARE(record.rows.size(), 100);
}

void TestSearchFetch::sessionCaptionStaysBusyWhileTheBoxChanges()
{
    SearchSession session;
    session.setSiteRoot(m_site->baseUrl());
    SessionRecord record(session);

    // Typed while the page is on its way and while its rows come in: the caption stays busy, and
    // says at the end that a click searches the new text.
    m_site->setSwitch(QStringLiteral("search.stall"), QStringLiteral("20"));
    QCOMPARE(session.search("slow"), Click::Started);
    QTRY_COMPARE(m_site->requestLog().size(), 1);
    session.keywordBoxChanged("slowe");
    QCOMPARE(session.caption(), Caption::Busy);
    m_site->setSwitch(QStringLiteral("search.stall"), QString());
    QTRY_VERIFY(!record.rows.isEmpty());
    session.keywordBoxChanged("slower");
    QVERIFY(waitUntilIdle(session));
    QCOMPARE(record.captions, (QList<Caption>{Caption::Busy, Caption::Idle}));
    QCOMPARE(record.rows.size(), 25);

    // Typed away and back again: the same keyword, so more pages can be loaded.
    QCOMPARE(session.search("slower"), Click::Started);
    session.keywordBoxChanged("slowe");
    session.keywordBoxChanged("slower");
    QVERIFY(waitUntilIdle(session));
    QCOMPARE(session.caption(), Caption::More);
    // Once idle, the caption follows the box at once.
    session.keywordBoxChanged("slowest");
    QCOMPARE(session.caption(), Caption::Idle);
}

void TestSearchFetch::sessionGoesAwayDuringFetch()
{
    m_site->setSwitch(QStringLiteral("search.stall"), QStringLiteral("20"));
    auto* session = new SearchSession;
    session->setSiteRoot(m_site->baseUrl());
    QCOMPARE(session->search("slow"), Click::Started);
    QTRY_COMPARE(m_site->requestLog().size(), 1);
    QElapsedTimer clock;
    clock.start();
    delete session; // cancels the fetch without waiting for the site
    QVERIFY2(clock.elapsed() < 1000, QByteArray::number(clock.elapsed()));
    m_site->setSwitch(QStringLiteral("search.stall"), QString());
    QTest::qWait(300); // the cancelled fetch ends and reports to nobody
}

QUVO_TEST_GUILESS_MAIN(TestSearchFetch)
#include "test_search_fetch.moc"
