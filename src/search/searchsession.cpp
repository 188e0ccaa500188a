#include "search/searchsession.h"

#include "platform/logging.h"
#include "search/mygetwebthread.h"

namespace {

// Paging of a keyword that has no page count yet: a click may still fetch a further page.
constexpr qint32 unknownTotalPages = 99999;

const QString headerStart = QStringLiteral("    电    影    名        ");

QString counterText(int rows)
{
    return headerStart + QStringLiteral("本次共检索到%1个结果").arg(rows);
}

} // namespace

SearchSession::SearchSession(QObject* parent) : QObject(parent)
{
    tmr1.setInterval(rowInterval);
    connect(&tmr1, &QTimer::timeout, this, &SearchSession::tmr1Timer);
}

SearchSession::~SearchSession()
{
    if (m_worker)
        m_worker->cancel();
}

SearchSession::Outcome SearchSession::search(const QByteArray& keyword)
{
    if (busy())
        return Outcome::Busy;
    m_boxText = keyword;
    if (keyword.isEmpty())
        return Outcome::EmptyKeyword;
    if (keyword != m_paging.lastKeyword) {
        startFetch(keyword, 1);
    } else {
        if (m_paging.pageCounter >= m_paging.totalPages)
            return Outcome::AllLoaded;
        startFetch(keyword, m_paging.pageCounter + 1);
    }
    return Outcome::Started;
}

void SearchSession::startFetch(const QByteArray& keyword, qint32 page)
{
    m_fetchKeyword = keyword;
    m_fetchPage = page;
    m_fetchRunning = true;
    m_clearedDuringFetch = false;
    setCaption(Caption::Busy);
    // The worker frees itself when it is done; a cancelled one reports nothing.
    auto* worker = new MyGetWebThread(keyword, page, m_sites.fetchOrder(), nullptr);
    connect(worker, &MyGetWebThread::pageFetched, this, &SearchSession::onPageFetched, Qt::QueuedConnection);
    connect(worker, &MyGetWebThread::fetchFailed, this, &SearchSession::onFetchFailed, Qt::QueuedConnection);
    m_worker = worker;
    worker->start();
}

QString SearchSession::failureText(qint32 page, MyGetWebThread::Failure failure, int status)
{
    QString why;
    switch (failure) {
    case MyGetWebThread::Failure::CannotConnect:
        why = QStringLiteral("无法连接网站");
        break;
    case MyGetWebThread::Failure::TimedOut:
        why = QStringLiteral("连接超时");
        break;
    case MyGetWebThread::Failure::SiteError:
        why = status >= 400 ? QStringLiteral("网站出错(%1)").arg(status) : QStringLiteral("网站出错");
        break;
    case MyGetWebThread::Failure::PageChanged:
        why = QStringLiteral("网站页面已改变");
        break;
    case MyGetWebThread::Failure::RedirectedAway:
        why = QStringLiteral("网站转到了别处");
        break;
    }
    return headerStart + QStringLiteral("第%1页未取到：%2，再点搜索重试").arg(page).arg(why);
}

QString SearchSession::noResultsText(qint32 page)
{
    return headerStart + QStringLiteral("第%1页：没有找到该关键词的结果").arg(page);
}

void SearchSession::onPageFetched(const QByteArray& gbkPage, const QByteArray& lastLinkText, const QByteArray& siteRoot,
                                  bool noResults)
{
    m_fetchRunning = false;
    m_worker = nullptr;
    m_sites.setAnswered(siteRoot);
    if (noResults)
        Q_EMIT counterTextChanged(noResultsText(m_fetchPage));
    // Only an arrived first page moves the paging to a new keyword: until then a failed fetch
    // leaves the previous keyword's paging as it was, to be continued. The keyword is the one
    // fetched, whatever the box says by now.
    if (m_fetchKeyword != m_paging.lastKeyword) {
        m_paging.lastKeyword = m_fetchKeyword;
        m_paging.totalPages = unknownTotalPages;
        m_paging.totalPageText = "0"; // an earlier keyword's page count must not carry over
    }
    // A clear while the page was on its way has restarted the paging at page 1.
    m_paging.pageCounter = m_clearedDuringFetch ? 0 : m_fetchPage;
    if (!lastLinkText.isEmpty()) // a page without a usable link leaves the text alone
        m_paging.totalPageText = lastLinkText;
    bool numeric = false;
    const qint32 total = m_paging.totalPageText.toInt(&numeric, 10);
    if (numeric)
        m_paging.totalPages = total;
    else
        qCDebug(lcSearch) << "page count is not a number:" << m_paging.totalPageText;
    mmoserch = PageRows(gbkPage);
    tmr1.start();
}

void SearchSession::onFetchFailed(MyGetWebThread::Failure failure, int status)
{
    m_fetchRunning = false;
    m_worker = nullptr;
    // The paging stays where it was: the next click asks for the same page again.
    Q_EMIT counterTextChanged(failureText(m_fetchPage, failure, status));
    setCaption(captionWhenIdle());
}

void SearchSession::keywordBoxChanged(const QByteArray& text)
{
    m_boxText = text;
    // While a page is fetched or cut, the caption says so; it is brought up to date when that ends.
    if (!busy() && text != m_paging.lastKeyword)
        setCaption(Caption::Idle);
}

void SearchSession::clearList()
{
    m_rowsInList = 0;
    m_paging.pageCounter = 0;
    m_paging.totalPages = unknownTotalPages;
    if (m_fetchRunning)
        m_clearedDuringFetch = true;
    Q_EMIT counterTextChanged(QStringLiteral("    电    影    名        请  重  新  开  始  搜  索"));
    if (!busy())
        setCaption(Caption::Idle);
}

void SearchSession::tmr1Timer()
{
    const std::optional<ResultRow> row = mmoserch.takeRow();
    if (!row) {
        tmr1.stop();
        setCaption(captionWhenIdle());
        return;
    }
    ++m_rowsInList;
    Q_EMIT rowReady(*row);
    Q_EMIT counterTextChanged(counterText(m_rowsInList));
}

SearchSession::Caption SearchSession::captionWhenIdle() const
{
    // A click searches the box's text: a new keyword starts at page 1.
    if (m_boxText != m_paging.lastKeyword)
        return Caption::Idle;
    return m_paging.pageCounter < m_paging.totalPages ? Caption::More : Caption::Done;
}

void SearchSession::setCaption(Caption caption)
{
    m_caption = caption;
    Q_EMIT captionChanged(caption);
}
