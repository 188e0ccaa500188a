#include "portals/tformmusic.h"

#include "app/sites.h"
#include "config/remoteconfiguration.h"
#include "platform/messageboxes.h"
#include "portals/portalpages.h"

namespace {
const QColor kSilver(0xc0, 0xc0, 0xc0);
}

TFormMusic::TFormMusic() : PortalWindow(1000)
{
    setupUi(this);
    setWindowTitle(QStringLiteral("QV盒子-音乐欣赏  ") + Sites::productSiteHost());
    centreOnDesktop({922, 611});

    // Black window and tool bar; the boxes' captions in white so they stay readable, the note in silver.
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    black.setColor(QPalette::WindowText, Qt::white);
    setPalette(black);
    QPalette note = lbl1->palette();
    note.setColor(QPalette::WindowText, kSilver);
    lbl1->setPalette(note);

    wb1->setRightClickBlocked(true);
    attachBoxes(chkontop, chkhidemain);
    connect(btnTheMusic, &QPushButton::clicked, this, &TFormMusic::btnTheMusicClick);
    connect(btnKugMusic, &QPushButton::clicked, this, &TFormMusic::btnKugMusicClick);
    connect(btnQuit, &QPushButton::clicked, this, &TFormMusic::btnQuitClick);

    openStartPage();
}

void TFormMusic::openStartPage()
{
    const RemoteConfiguration& config = RemoteConfig();
    const PortalPages::Choice start = PortalPages::choose(config.MusicDef, config.MusicAdr, PortalPages::themeMusic());
    if (!start.address.isEmpty())
        wb1->navigate(start.address);
    if (!start.builtIn)
        return; // the configured page: no mini mode, no count
    chkhidemain->setChecked(true);
    wbMusicNum.navigate(PortalPages::musicCounter);
}

void TFormMusic::btnTheMusicClick()
{
    if (!MessageBoxes::confirm(this, QStringLiteral("骚年,点<-确定->将切换到主题音乐模式,确定吗？")))
        return;
    wb1->navigate(PortalPages::themeMusic());
    wbMusicNum.navigate(PortalPages::musicCounter);
}

void TFormMusic::btnKugMusicClick()
{
    if (!MessageBoxes::confirm(this, QStringLiteral("骚年,点<-确定->将切换到酷狗音乐模式,确定吗？")))
        return;
    wb1->navigate(PortalPages::kugou());
    btnTheMusic->setEnabled(true);
}

QString TFormMusic::quitQuestion() const
{
    return QStringLiteral("骚年,点<-确定->退出播放,真的要退出吗?");
}
