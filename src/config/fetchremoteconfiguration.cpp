#include "config/fetchremoteconfiguration.h"

#include "config/configdocument.h"
#include "config/configkey.h"
#include "config/remoteconfiguration.h"
#include "platform/httpcall.h"
#include "platform/logging.h"
#include "platform/testhooks.h"
#include "services/sites.h"

namespace {

// On the pool thread: the record read from the document, or nothing. A document of up to a megabyte
// takes a while to decipher; the user-interface thread only takes the finished record.
QVariant readDocument(HttpResponse& response)
{
    if (!response.transferOk)
        return {}; // the request path has logged why
    const Expected<RemoteConfiguration> record = readConfigDocument(response.body, joinConfigKey());
    if (!record.ok()) {
        // Not a document this program can read: keep the built-in behaviour.
        qCInfo(lcConfig) << "settings document not read (HTTP status" << response.status << "):" << record.error();
        return {};
    }
    response.body.clear(); // read: not needed beyond this point
    return QVariant::fromValue(record.value());
}

} // namespace

HttpCall* FetchRemoteConfiguration(QObject* owner, std::function<void()> read)
{
    HttpRequest request;
    request.url = Sites::productServerUrl("/update/entcry.txt");
    request.limits = testHooks().configDocumentLimits.value_or(configDocumentTimeLimits);
    request.maxBodyBytes = maxConfigDocumentBytes;
    auto* call = new HttpCall(std::move(request), owner);
    call->setWorkerStep(readDocument);
    QObject::connect(call, &HttpCall::finished, call,
                     [call, read = std::move(read)](const HttpResponse&, const QVariant& record) {
                         call->deleteLater();
                         if (!record.isValid())
                             return;
                         remoteConfig() = record.value<RemoteConfiguration>();
                         if (read)
                             read();
                     });
    call->start();
    return call;
}
