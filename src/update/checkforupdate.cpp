#include "update/checkforupdate.h"

#include "config/settingsview.h"
#include "platform/codepage.h"
#include "platform/logging.h"
#include "services/buildinfo.h"
#include "services/windowrefs.h"
#ifndef QUVO_NO_SELF_UPDATE
#include "update/tformupdate.h"
#endif

namespace {
void call(const std::function<void(const QString&)>& hook, const QString& text)
{
    if (hook)
        hook(text);
}
} // namespace

QDialog* CheckForUpdate(const UpdateCheckHooks& hooks)
{
    const QByteArray& version = SettingsView().announcedVersion();
    const QByteArray builtIn(BuildInfo::version);
    if (version.isEmpty()) {
        qCInfo(lcUpdate) << "the settings document announces no version";
        call(hooks.showVersionStatus, QStringLiteral("提示：无法连接服务器!!"));
        return nullptr;
    }
#ifndef QUVO_NO_SELF_UPDATE
    if (version != builtIn) {
        // Any other text is a new version, a lower one included: the comparison is plain text equality.
        qCInfo(lcUpdate) << "server announces version" << version << "; running" << builtIn;
        call(hooks.showVersionStatus,
             QStringLiteral("当前版本:") + QString::fromLatin1(builtIn) + QStringLiteral("    服务器有新版本咯!!!"));
        auto* window = new TFormupdate(hooks.parent);
        Formupdate = window;
        if (hooks.countUse)
            QObject::connect(window, &TFormupdate::useCounted, window, hooks.countUse);
        window->showReleaseNote(CodePage::fromGbk(version));
        window->open();
        return window;
    }
#endif
    // The same version; in a build that its package manager updates (no update window), any version.
    qCDebug(lcUpdate) << "server announces version" << version << "; running" << builtIn << "(current)";
    call(hooks.showVersionStatus,
         QStringLiteral("当前版本:") + QString::fromLatin1(builtIn) + QStringLiteral("    您的版本已是最新!"));
    if (hooks.countCheck)
        hooks.countCheck("/update/StNum.php");
    return nullptr;
}
