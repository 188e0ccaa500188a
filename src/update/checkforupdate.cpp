#include "update/checkforupdate.h"

#include "app/sites.h"
#include "app/tformmain.h"
#include "app/windowrefs.h"
#include "config/remoteconfiguration.h"
#include "platform/codepage.h"
#ifndef QUVO_NO_SELF_UPDATE
#include "update/tformupdate.h"
#endif

void CheckForUpdate()
{
    if (!Formmain)
        return;
    const QByteArray& version = RemoteConfig().Version;
    const QByteArray builtIn(Sites::builtInVersion);
    if (version.isEmpty()) {
        Formmain->setStatusPanelText(2, QStringLiteral("提示：无法连接服务器!!"));
        return;
    }
#ifndef QUVO_NO_SELF_UPDATE
    if (version != builtIn) {
        // Any other text is a new version, a lower one included: the comparison is plain text equality.
        Formmain->setStatusPanelText(2, QStringLiteral("当前版本:") + QString::fromLatin1(builtIn) +
                                            QStringLiteral("    服务器有新版本咯!!!"));
        auto* window = new TFormupdate(Formmain);
        Formupdate = window;
        window->lblupnote->setText(QStringLiteral("版本") + CodePage::fromGbk(version) + QStringLiteral("  更新说明"));
        window->exec();
        return;
    }
#endif
    // The same version; in a build that its package manager updates (no update window), any version.
    Formmain->setStatusPanelText(2, QStringLiteral("当前版本:") + QString::fromLatin1(builtIn) +
                                        QStringLiteral("    您的版本已是最新!"));
    Formmain->wbTjStNum.navigate("/update/StNum.php");
}
