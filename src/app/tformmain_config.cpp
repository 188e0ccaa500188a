// The main window's settings-document timer, and what applying the document may do to the window.
#include "app/tformmain.h"

#include "app/applyremoteconfiguration.h"
#include "config/fetchremoteconfiguration.h"

#include <QPointer>

RemoteConfigurationHooks TFormmain::remoteConfigurationHooks()
{
    // The update window may outlive a step of the applying by a while; a window gone by then is skipped.
    const QPointer<TFormmain> self(this);
    RemoteConfigurationHooks hooks;
    hooks.update.parent = this;
    hooks.update.showVersionStatus = [self](const QString& text) {
        if (self)
            self->setStatusPanelText(2, text);
    };
    hooks.update.countCheck = [self](const QByteArray& path) {
        if (self)
            self->wbTjStNum.navigate(path);
    };
    hooks.update.countUse = [self](const QByteArray& path) {
        if (self)
            self->countUse(path);
    };
    hooks.presetKeywordBox = [self](const QString& word) {
        if (self)
            self->presetKeywordBox(word);
    };
    hooks.showAdvertisement = [self] {
        if (self)
            self->showAdvertisement();
    };
    return hooks;
}

void TFormmain::TmrchkupdateTimer()
{
    startSettingsFetch();
}

HttpCall* TFormmain::startSettingsFetch()
{
    Tmrchkupdate.stop(); // once per run
    // Every failure of the fetch and of the reading is silent (logged under quvo.config).
    return FetchRemoteConfiguration(this, [hooks = remoteConfigurationHooks()] { ApplyRemoteConfiguration(hooks); });
}
