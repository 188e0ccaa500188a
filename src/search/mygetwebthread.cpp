#include "search/mygetwebthread.h"

#include "platform/codepage.h"
#include "platform/httpclient.h"
#include "search/formencode.h"

MyGetWebThread::MyGetWebThread(const QByteArray& keyword, qint32 page, const QByteArray& siteRoot, QObject* parent)
    : QThread(parent), m_keyword(keyword), m_page(page), m_address(searchAddress(siteRoot, keyword, page))
{
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

QByteArray MyGetWebThread::searchAddress(const QByteArray& siteRoot, const QByteArray& keyword, qint32 page)
{
    // The keyword leaves the program as UTF-8, never as GBK bytes.
    return siteRoot + "/search/" + FormEncode(CodePage::fromGbk(keyword).toUtf8()) + "/" + QByteArray::number(page);
}

void MyGetWebThread::setTimeLimits(long connectTimeoutMs, long stallTimeoutSec, long totalTimeoutMs)
{
    m_connectTimeoutMs = connectTimeoutMs;
    m_stallTimeoutSec = stallTimeoutSec;
    m_totalTimeoutMs = totalTimeoutMs;
}

void MyGetWebThread::run()
{
    HttpRequest request;
    request.url = m_address;
    request.connectTimeoutMs = m_connectTimeoutMs;
    request.stallTimeoutSec = m_stallTimeoutSec;
    request.totalTimeoutMs = m_totalTimeoutMs;
    request.maxBodyBytes = 16 * 1024 * 1024;
    request.cancel = &m_cancel;
    const HttpResponse response = HttpClient::perform(request);
    if (m_cancel)
        return;
    if (!response.transferOk) {
        Q_EMIT fetchFailed(response.error);
        return;
    }
    // An error status is not special: its body is taken in like any page.
    Q_EMIT pageFetched(CodePage::toGbk(CodePage::decodeBody(response.body, response.contentType)));
}
