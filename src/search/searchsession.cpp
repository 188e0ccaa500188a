#include "search/searchsession.h"

#include "platform/logging.h"
#include "search/mygetwebthread.h"

namespace {

// Paging of a keyword that has no page count yet: a click may still fetch a further page.
constexpr qint32 unknownTotalPages = 99999;

QString counterText(int rows)
{
    return QStringLiteral("    电    影    名        本次共检索到%1个结果").arg(rows);
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
    auto* worker = new MyGetWebThread(keyword, page, m_siteRoot, nullptr);
    connect(worker, &MyGetWebThread::pageFetched, this, &SearchSession::onPageFetched, Qt::QueuedConnection);
    connect(worker, &MyGetWebThread::fetchFailed, this, &SearchSession::onFetchFailed, Qt::QueuedConnection);
    m_worker = worker;
    worker->start();
}

void SearchSession::onPageFetched(const QByteArray& gbkPage, const QByteArray& lastLinkText)
{
    m_fetchRunning = false;
    m_worker = nullptr;
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

void SearchSession::onFetchFailed(const QString& reason)
{
    qCInfo(lcSearch) << "fetch of page" << m_fetchPage << "failed:" << reason;
    m_fetchRunning = false;
    m_worker = nullptr;
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
