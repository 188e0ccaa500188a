#include "config/configdocumentfetch.h"

#include "platform/httpclient.h"

ConfigDocumentFetch::ConfigDocumentFetch(QByteArray url, QObject* parent) : QThread(parent), m_url(std::move(url))
{
}

ConfigDocumentFetch::~ConfigDocumentFetch()
{
    m_cancel = true;
    wait();
}

void ConfigDocumentFetch::run()
{
    HttpRequest request;
    request.url = m_url;
    request.connectTimeoutMs = 10000;
    request.stallTimeoutSec = 15;
    request.totalTimeoutMs = 60000;
    request.maxBodyBytes = 1024 * 1024; // the document is a few kilobytes
    request.cancel = &m_cancel;
    const HttpResponse response = HttpClient::perform(request);
    Q_EMIT fetched(response.transferOk, response.body);
}
