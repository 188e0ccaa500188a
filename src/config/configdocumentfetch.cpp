#include "config/configdocumentfetch.h"

#include "platform/httpclient.h"

namespace {
std::optional<ConfigDocumentFetch::TimeLimits> testLimits;
} // namespace

ConfigDocumentFetch::ConfigDocumentFetch(QByteArray url, QObject* parent) : QThread(parent), m_url(std::move(url))
{
    if (testLimits)
        m_limits = *testLimits;
}

void ConfigDocumentFetch::setTimeLimitsForTesting(std::optional<TimeLimits> limits)
{
    testLimits = limits;
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
    request.setTimeLimits(m_limits);
    request.maxBodyBytes = maxDocumentBytes;
    request.cancel = &m_cancel;
    const HttpResponse response = HttpClient::perform(request);
    Q_EMIT fetched(response.transferOk, response.body);
}
