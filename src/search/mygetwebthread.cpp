#include "search/mygetwebthread.h"

#include "platform/codepage.h"
#include "platform/httpcall.h"
#include "platform/logging.h"
#include "platform/testhooks.h"
#include "search/formencode.h"
#include "search/pagination.h"

#include <QUrl>

#include <algorithm>

namespace {

// What the worker step learnt of the page on the pool thread.
struct PageReading {
    QByteArray lastLinkText; // empty when ParsePagination found no link (a link text is never empty)
    MyGetWebThread::PageKind kind = MyGetWebThread::PageKind::NotAResultPage;
};

// On the pool thread: the page as GBK text in place of the body, its last pagination link text and
// what it holds. A redirect's body is of no interest.
QVariant readPage(HttpResponse& response)
{
    if (!response.transferOk || (response.status >= 300 && response.status < 400))
        return {};
    response.body = CodePage::toGbk(CodePage::decodeBody(response.body, response.contentType));
    PageReading reading;
    ParsePagination(response.body, reading.lastLinkText);
    reading.kind = MyGetWebThread::pageKind(response.body);
    return QVariant::fromValue(reading);
}

int defaultPort(const QString& scheme)
{
    return scheme == QLatin1String("https") ? 443 : 80;
}

} // namespace

Q_DECLARE_METATYPE(PageReading)

MyGetWebThread::MyGetWebThread(const QByteArray& keyword, qint32 page, const QList<QByteArray>& siteRoots,
                               QObject* parent)
    : QObject(parent), m_keyword(keyword), m_page(page), m_sites(siteRoots)
{
    if (testHooks().searchPageLimits)
        m_limits = *testHooks().searchPageLimits;
    if (m_sites.isEmpty())
        m_sites.append(QByteArray());
    m_address = searchAddress(m_sites.first(), keyword, page);
}

QByteArray MyGetWebThread::searchAddress(const QByteArray& siteRoot, const QByteArray& keyword, qint32 page)
{
    // The keyword leaves the program as UTF-8, never as GBK bytes.
    return siteRoot + "/search/" + FormEncode(CodePage::fromGbk(keyword).toUtf8()) + "/" + QByteArray::number(page);
}

MyGetWebThread::PageKind MyGetWebThread::pageKind(const QByteArray& gbkPage)
{
    if (gbkPage.contains("</a></td></tr>")) // the row timer's end-of-row marker
        return PageKind::Rows;
    // The site answers a keyword without results with its result table holding one "No result." row.
    const QByteArray lower = gbkPage.toLower();
    if (lower.contains("id=\"archiveresult\"") && lower.contains("no result"))
        return PageKind::NoResults;
    return PageKind::NotAResultPage;
}

bool MyGetWebThread::onSite(const QUrl& address, const QByteArray& siteRoot)
{
    const QUrl root(QString::fromLatin1(siteRoot));
    const QString scheme = address.scheme().toLower();
    return !address.host().isEmpty() && scheme == root.scheme().toLower() &&
           address.host().compare(root.host(), Qt::CaseInsensitive) == 0 &&
           address.port(defaultPort(scheme)) == root.port(defaultPort(scheme));
}

void MyGetWebThread::start()
{
    if (m_call)
        return;
    if (m_limits.total.count() > 0)
        m_deadline = QDeadlineTimer(m_limits.total);
    else
        m_deadline = QDeadlineTimer(QDeadlineTimer::Forever);
    ask(m_address);
}

void MyGetWebThread::ask(const QByteArray& address)
{
    m_address = address;
    HttpRequest request;
    request.url = address;
    request.limits = m_limits;
    if (!m_deadline.isForever())
        request.limits.total = std::chrono::milliseconds(qMax<qint64>(m_deadline.remainingTime(), 1));
    request.maxBodyBytes = maxPageBytes;
    request.followRedirects = false; // followed here, and only to the listed sites
    if (m_call)
        m_call->deleteLater();
    m_call = new HttpCall(std::move(request), this);
    m_call->setWorkerStep(readPage);
    connect(m_call, &HttpCall::finished, this, &MyGetWebThread::onFinished);
    m_call->start();
}

void MyGetWebThread::cancel()
{
    if (m_call)
        m_call->cancel();
    deleteLater();
}

void MyGetWebThread::onFinished(const HttpResponse& response, const QVariant& reading)
{
    if (response.transferOk && followRedirect(response))
        return;
    if (const std::optional<Failure> failure = judge(response, reading)) {
        tryNextSite(*failure, int(response.status));
        return;
    }
    deleteLater();
    const auto page = reading.value<PageReading>();
    Q_EMIT pageFetched(response.body, page.lastLinkText, answeringRoot(), page.kind == PageKind::NoResults);
}

bool MyGetWebThread::followRedirect(const HttpResponse& response)
{
    const QByteArray location = response.header("location");
    if (response.status < 300 || response.status >= 400 || location.isEmpty())
        return false;
    const QUrl target = QUrl(QString::fromLatin1(m_address)).resolved(QUrl::fromEncoded(location));
    const bool listed =
        std::any_of(m_sites.cbegin(), m_sites.cend(), [&](const QByteArray& root) { return onSite(target, root); });
    if (!listed || m_redirects >= maxRedirects) {
        qCInfo(lcSearch).noquote() << m_address << "redirects to" << location
                                   << (listed ? "once too often" : "off the listed sites");
        return false; // judged as a failure of this site
    }
    ++m_redirects;
    ask(target.toEncoded());
    return true;
}

std::optional<MyGetWebThread::Failure> MyGetWebThread::judge(const HttpResponse& response, const QVariant& reading)
{
    if (!response.transferOk) {
        qCDebug(lcSearch).noquote() << "page" << m_page << "not fetched from" << m_address << ":" << response.error;
        if (response.couldNotConnect)
            return Failure::CannotConnect;
        return response.timedOut ? Failure::TimedOut : Failure::SiteError;
    }
    if (response.status >= 300 && response.status < 400)
        return Failure::RedirectedAway;
    const auto page = reading.value<PageReading>();
    // A page with rows is taken in whatever its status says.
    if (page.kind == PageKind::Rows)
        return std::nullopt;
    if (response.status >= 400) {
        qCInfo(lcSearch).noquote() << m_address << "answered with status" << response.status;
        return Failure::SiteError;
    }
    if (page.kind == PageKind::NotAResultPage) {
        qCWarning(lcSearch) << m_address << "gave a page without rows and without the no-result form;"
                            << "its markup may have changed. It begins:" << response.body.left(300);
        return Failure::PageChanged;
    }
    return std::nullopt;
}

void MyGetWebThread::tryNextSite(Failure failure, int status)
{
    ++m_siteIndex;
    m_redirects = 0;
    if (m_siteIndex < m_sites.size() && !m_deadline.hasExpired()) {
        qCInfo(lcSearch).noquote() << "page" << m_page << "failed at" << m_address << "(" << failure << "); asking"
                                   << m_sites.at(m_siteIndex);
        ask(searchAddress(m_sites.at(m_siteIndex), m_keyword, m_page));
        return;
    }
    if (m_siteIndex < m_sites.size())
        failure = Failure::TimedOut; // sites were left to ask, but the fetch's time is up
    qCInfo(lcSearch).noquote() << "page" << m_page << "failed at every site:" << failure;
    deleteLater();
    Q_EMIT fetchFailed(failure, status);
}

QByteArray MyGetWebThread::answeringRoot() const
{
    // A redirect may have led to another listed site: that one answered.
    const QUrl final(QString::fromLatin1(m_address));
    if (onSite(final, m_sites.at(m_siteIndex)))
        return m_sites.at(m_siteIndex);
    for (const QByteArray& root : m_sites)
        if (onSite(final, root))
            return root;
    return m_sites.at(m_siteIndex);
}
