// The page fetch worker against the sample site on 127.0.0.1: address, decoding, failures, giving up.
#include "platform/codepage.h"
#include "samplesite.h"
#include "search/mygetwebthread.h"
#include "testsupport.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTest>

#include <memory>

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
    void givenUpFetchReportsNothing();

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
    worker->setTimeLimits({2000, 1, 10000});
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
    QTest::qWait(100);
    QCOMPARE(reports, 0);
}

QTEST_GUILESS_MAIN(TestSearchFetch)
#include "test_search_fetch.moc"
