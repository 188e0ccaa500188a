#include "portals/tformmtv.h"

#include "app/sites.h"
#include "config/remoteconfiguration.h"
#include "platform/messageboxes.h"
#include "portals/portalpages.h"

TFormMtv::TFormMtv() : PortalWindow(500)
{
    setupUi(this);
    setWindowTitle(QStringLiteral("QV盒子-MTV欣赏 ") + Sites::productSiteHost());
    centreOnDesktop({919, 607});

    // Black tool bar with white box captions.
    QPalette black = pnl1->palette();
    black.setColor(QPalette::Window, Qt::black);
    black.setColor(QPalette::WindowText, Qt::white);
    pnl1->setPalette(black);

    attachBoxes(chkontop, chkhidemain);
    connect(btn1, &QPushButton::clicked, this, &TFormMtv::btn1Click);
    connect(btnexit, &QPushButton::clicked, this, &TFormMtv::btnexitClick);

    openStartPage();
}

void TFormMtv::openStartPage()
{
    const RemoteConfiguration& config = RemoteConfig();
    const PortalPages::Choice start = PortalPages::choose(config.MtvDef, config.MtvAdr, PortalPages::mvHome());
    if (start.address.isEmpty())
        return;
    wb1->navigate(start.address);
    wbMtvNum.navigate(PortalPages::mvCounter);
}

void TFormMtv::btn1Click()
{
    if (!MessageBoxes::confirm(this, QStringLiteral("骚年,点<-确定->将会使播放内容重新加载,你确定要这样做吗？")))
        return;
    // Always the built-in site, also when the window opened a configured address.
    wb1->navigate(PortalPages::mvReload());
    wbMtvNum.navigate(PortalPages::mvCounter);
}

QString TFormMtv::quitQuestion() const
{
    return QStringLiteral("骚年,点<-确定->退出MV页面,真的要退出吗?");
}
