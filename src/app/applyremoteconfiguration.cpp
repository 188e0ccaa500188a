#include "app/applyremoteconfiguration.h"

#include "config/settingsview.h"

#include <QDialog>

namespace {

// The keyword-box word and the advertisement: the steps after the version check.
void applyAfterVersionCheck(const RemoteConfigurationHooks& hooks)
{
    const std::optional<QString> word = SettingsView().keywordBoxWord();
    if (word && hooks.presetKeywordBox)
        hooks.presetKeywordBox(*word);
    if (hooks.showAdvertisement)
        hooks.showAdvertisement();
}

} // namespace

void ApplyRemoteConfiguration(const RemoteConfigurationHooks& hooks)
{
    QDialog* window = CheckForUpdate(hooks.update);
    if (!window) {
        applyAfterVersionCheck(hooks);
        return;
    }
    // The update window is modal but not waited for: the remaining steps follow its closing.
    QObject::connect(
        window, &QDialog::finished, window, [hooks] { applyAfterVersionCheck(hooks); }, Qt::SingleShotConnection);
}
