#include "search/mygetwebthread.h"

#include "platform/codepage.h"
#include "platform/httpcall.h"
#include "platform/logging.h"
#include "platform/testhooks.h"
#include "search/formencode.h"
#include "search/pagination.h"

namespace {

// On the pool thread: the page as GBK text in place of the body, and its last pagination link text
// (a link text is never empty, so empty means none was found).
QVariant readPage(HttpResponse& response)
{
    if (!response.transferOk)
        return {};
    // An error status is not special: its body is taken in like any page.
    response.body = CodePage::toGbk(CodePage::decodeBody(response.body, response.contentType));
    QByteArray lastLinkText;
    ParsePagination(response.body, lastLinkText);
    return lastLinkText;
}
} // namespace

MyGetWebThread::MyGetWebThread(const QByteArray& keyword, qint32 page, const QByteArray& siteRoot, QObject* parent)
    : QObject(parent), m_keyword(keyword), m_page(page), m_address(searchAddress(siteRoot, keyword, page))
{
    if (testHooks().searchPageLimits)
        m_limits = *testHooks().searchPageLimits;
}

QByteArray MyGetWebThread::searchAddress(const QByteArray& siteRoot, const QByteArray& keyword, qint32 page)
{
    // The keyword leaves the program as UTF-8, never as GBK bytes.
    return siteRoot + "/search/" + FormEncode(CodePage::fromGbk(keyword).toUtf8()) + "/" + QByteArray::number(page);
}

void MyGetWebThread::start()
{
    if (m_call)
        return;
    HttpRequest request;
    request.url = m_address;
    request.limits = m_limits;
    request.maxBodyBytes = maxPageBytes;
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

void MyGetWebThread::onFinished(const HttpResponse& response, const QVariant& lastLinkText)
{
    deleteLater();
    if (!response.transferOk) {
        qCDebug(lcSearch).noquote() << "page" << m_page << "not fetched:" << response.error;
        Q_EMIT fetchFailed(response.error);
        return;
    }
    Q_EMIT pageFetched(response.body, lastLinkText.toByteArray());
}
