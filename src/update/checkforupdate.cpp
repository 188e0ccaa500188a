#include "update/checkforupdate.h"

#include "config/settingsview.h"
#include "platform/codepage.h"
#include "platform/logging.h"
#include "platform/messageboxes.h"
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

// The update window's version line and note, and where a packaged build's new version comes from.
QString packagedUpdateNotice(const QString& version)
{
    return QStringLiteral("版本") + version + QStringLiteral("  更新说明\n") +
           QStringLiteral(
               "        建议您到官方查看最新更新日志与动态,如遇更新不成功,可能是因为同时下载人数过多或服务器负载压"
               "力过大,建议您打开我们的主页或选择分流下载站进行下载!\n") +
           QStringLiteral("本程序由系统的软件包管理器安装,新版本请通过软件包管理器更新。");
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
    if (version != builtIn) {
        // Any other text is a new version, a lower one included: the comparison is plain text equality.
        qCInfo(lcUpdate) << "server announces version" << version << "; running" << builtIn;
        call(hooks.showVersionStatus,
             QStringLiteral("当前版本:") + QString::fromLatin1(builtIn) + QStringLiteral("    服务器有新版本咯!!!"));
        if (!hooks.selfUpdate || !selfUpdateBuilt) {
            MessageBoxes::inform(hooks.parent, packagedUpdateNotice(CodePage::fromGbk(version)));
            return nullptr;
        }
#ifndef QUVO_NO_SELF_UPDATE
        auto* window = new TFormupdate(hooks.parent);
        Formupdate = window;
        if (hooks.countUse)
            QObject::connect(window, &TFormupdate::useCounted, window, hooks.countUse);
        window->showReleaseNote(CodePage::fromGbk(version));
        window->open();
        return window;
#endif
    }
    // The same version.
    qCDebug(lcUpdate) << "server announces version" << version << "; running" << builtIn << "(current)";
    call(hooks.showVersionStatus,
         QStringLiteral("当前版本:") + QString::fromLatin1(builtIn) + QStringLiteral("    您的版本已是最新!"));
    if (hooks.countCheck)
        hooks.countCheck("/update/StNum.php");
    return nullptr;
}
