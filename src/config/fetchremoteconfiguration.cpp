#include "config/fetchremoteconfiguration.h"

#include "config/configdocument.h"
#include "config/configkey.h"
#include "config/remoteconfiguration.h"
#include "platform/codepage.h"
#include "platform/httpcall.h"
#include "platform/logging.h"
#include "services/sites.h"

#include <QDialog>

#include <exception>

namespace {

std::optional<HttpTimeLimits> testLimits;

// On the pool thread: the record read from the document, or nothing. A document of up to a megabyte
// takes a while to decipher; the user-interface thread only takes the finished record.
QVariant readDocument(HttpResponse& response)
{
    if (!response.transferOk)
        return {}; // the request path has logged why
    try {
        const QVariant record = QVariant::fromValue(ParseConfigDocument(response.body, JoinConfigKey()));
        response.body.clear(); // read: not needed beyond this point
        return record;
    } catch (const std::exception& failure) {
        // Not a document this program can read: keep the built-in behaviour.
        qCInfo(lcConfig) << "settings document not read (HTTP status" << response.status << "):" << failure.what();
    } catch (...) {
        qCInfo(lcConfig) << "settings document not read (HTTP status" << response.status << ")";
    }
    return {};
}

// The keyword-box word and the advertisement: the steps after the version check.
void applyAfterVersionCheck(const RemoteConfigurationHooks& hooks)
{
    try {
        const QByteArray& word = RemoteConfig().BulletinWord;
        if (word != "0" && hooks.presetKeywordBox)
            hooks.presetKeywordBox(CodePage::fromGbk(word));
        if (hooks.showAdvertisement)
            hooks.showAdvertisement();
    } catch (...) {
        qCInfo(lcConfig) << "applying the settings document broke off";
    }
}

} // namespace

void setConfigDocumentTimeLimitsForTesting(std::optional<HttpTimeLimits> limits)
{
    testLimits = limits;
}

HttpCall* FetchRemoteConfiguration(QObject* owner, const RemoteConfigurationHooks& hooks)
{
    HttpRequest request;
    request.url = Sites::productServerUrl("/update/entcry.txt");
    request.setTimeLimits(testLimits.value_or(configDocumentTimeLimits));
    request.maxBodyBytes = maxConfigDocumentBytes;
    auto* call = new HttpCall(std::move(request), owner);
    call->setWorkerStep(readDocument);
    QObject::connect(call, &HttpCall::finished, call, [call, hooks](const HttpResponse&, const QVariant& record) {
        call->deleteLater();
        if (!record.isValid())
            return;
        RemoteConfig() = record.value<RemoteConfiguration>();
        ApplyRemoteConfiguration(hooks);
    });
    call->start();
    return call;
}

void ApplyRemoteConfiguration(const RemoteConfigurationHooks& hooks)
{
    QDialog* window = nullptr;
    try {
        window = CheckForUpdate(hooks.update);
    } catch (...) {
        qCInfo(lcConfig) << "the version check broke off; the settings document is not applied further";
        return;
    }
    if (!window) {
        applyAfterVersionCheck(hooks);
        return;
    }
    // The update window is modal but not waited for: the remaining steps follow its closing.
    QObject::connect(
        window, &QDialog::finished, window, [hooks] { applyAfterVersionCheck(hooks); }, Qt::SingleShotConnection);
}
