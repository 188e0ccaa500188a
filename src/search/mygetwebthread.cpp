#include "search/mygetwebthread.h"

#include "platform/codepage.h"
#include "platform/httpclient.h"
#include "search/formencode.h"
#include "search/pagination.h"

namespace {
std::optional<MyGetWebThread::TimeLimits> testLimits;
} // namespace

MyGetWebThread::MyGetWebThread(const QByteArray& keyword, qint32 page, const QByteArray& siteRoot, QObject* parent)
    : QThread(parent), m_keyword(keyword), m_page(page), m_address(searchAddress(siteRoot, keyword, page))
{
    if (testLimits)
        m_limits = *testLimits;
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

void MyGetWebThread::setTimeLimitsForTesting(std::optional<TimeLimits> limits)
{
    testLimits = limits;
}

QByteArray MyGetWebThread::searchAddress(const QByteArray& siteRoot, const QByteArray& keyword, qint32 page)
{
    // The keyword leaves the program as UTF-8, never as GBK bytes.
    return siteRoot + "/search/" + FormEncode(CodePage::fromGbk(keyword).toUtf8()) + "/" + QByteArray::number(page);
}

void MyGetWebThread::run()
{
    HttpRequest request;
    request.url = m_address;
    request.setTimeLimits(m_limits);
    request.maxBodyBytes = maxPageBytes;
    request.cancel = &m_cancel;
    const HttpResponse response = HttpClient::perform(request);
    if (m_cancel)
        return;
    if (!response.transferOk) {
        Q_EMIT fetchFailed(response.error);
        return;
    }
    // An error status is not special: its body is taken in like any page.
    const QByteArray page = CodePage::toGbk(CodePage::decodeBody(response.body, response.contentType));
    QByteArray lastLinkText; // a link text is never empty, so empty means none was found
    ParsePagination(page, lastLinkText);
    if (m_cancel)
        return;
    Q_EMIT pageFetched(page, lastLinkText);
}
