#include "app/applyremoteconfiguration.h"

#include "config/settingsview.h"
#include "platform/guard.h"
#include "platform/logging.h"

#include <QDialog>

namespace {

// The keyword-box word and the advertisement: the steps after the version check.
void applyAfterVersionCheck(const RemoteConfigurationHooks& hooks)
{
    RunGuarded(lcConfig(), "applying the settings document", [&hooks] {
        const std::optional<QString> word = SettingsView().keywordBoxWord();
        if (word && hooks.presetKeywordBox)
            hooks.presetKeywordBox(*word);
        if (hooks.showAdvertisement)
            hooks.showAdvertisement();
    });
}

} // namespace

void ApplyRemoteConfiguration(const RemoteConfigurationHooks& hooks)
{
    QDialog* window = nullptr;
    if (!RunGuarded(lcConfig(), "the version check (the settings document is not applied further)",
                    [&] { window = CheckForUpdate(hooks.update); }))
        return;
    if (!window) {
        applyAfterVersionCheck(hooks);
        return;
    }
    // The update window is modal but not waited for: the remaining steps follow its closing.
    QObject::connect(
        window, &QDialog::finished, window, [hooks] { applyAfterVersionCheck(hooks); }, Qt::SingleShotConnection);
}
