#include "config/fetchremoteconfiguration.h"

#include "app/sites.h"
#include "app/tformmain.h"
#include "app/windowrefs.h"
#include "config/configdocument.h"
#include "config/configdocumentfetch.h"
#include "config/configkey.h"
#include "config/remoteconfiguration.h"
#include "platform/codepage.h"
#include "update/checkforupdate.h"

#include <QCoreApplication>

#include <optional>

namespace {

void onDocumentFetched(bool ok, const QByteArray& body)
{
    if (!ok)
        return;
    std::optional<RemoteConfiguration> record;
    try {
        record = ParseConfigDocument(body, JoinConfigKey());
    } catch (...) {
        return; // not a document this program can read: keep the built-in behaviour
    }
    RemoteConfig() = std::move(*record);
    ApplyRemoteConfiguration();
}

} // namespace

ConfigDocumentFetch* FetchRemoteConfiguration()
{
    QObject* owner = Formmain ? static_cast<QObject*>(Formmain.data()) : QCoreApplication::instance();
    auto* fetch = new ConfigDocumentFetch(Sites::productServerUrl("/update/entcry.txt"), owner);
    // Queued to the owner's (the user-interface) thread; dropped if the owner is gone by then.
    QObject::connect(fetch, &ConfigDocumentFetch::fetched, owner, &onDocumentFetched, Qt::QueuedConnection);
    QObject::connect(fetch, &QThread::finished, fetch, &QObject::deleteLater);
    fetch->start();
    return fetch;
}

void ApplyRemoteConfiguration()
{
    try {
        if (!Formmain)
            return;
        CheckForUpdate();
        if (!Formmain)
            return; // the program ended while the update window was open
        const QByteArray& word = RemoteConfig().BulletinWord;
        if (word != "0")
            Formmain->EdtSearch->setText(CodePage::fromGbk(word));
        Formmain->ShowAdvertisement();
    } catch (...) {
        // The applying is best effort: what ran before the failure stays.
    }
}
