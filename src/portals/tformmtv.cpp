#include "portals/tformmtv.h"

#include "config/remoteconfiguration.h"
#include "ui_tformmtv.h"

TFormMtv::TFormMtv()
    : PortalWindow({QStringLiteral("QV盒子-MTV欣赏 "),
                    {919, 607},
                    500,
                    QStringLiteral("wbMtvNum"),
                    PortalPages::mvCounter,
                    QStringLiteral("骚年,点<-确定->退出MV页面,真的要退出吗?")}),
      m_ui(std::make_unique<Ui::TFormMtv>())
{
    m_ui->setupUi(this);
    attachControls({m_ui->chkontop, m_ui->chkhidemain, m_ui->wb1});
    paintBlack(m_ui->pnl1);
    connect(m_ui->btn1, &QPushButton::clicked, this, &TFormMtv::btn1Click);
    connect(m_ui->btnexit, &QPushButton::clicked, this, &TFormMtv::btnexitClick);
}

TFormMtv::~TFormMtv() = default;

void TFormMtv::openStartPage()
{
    if (openChosenPage(SettingsView().mvPage(), PortalPages::mvHome()).source !=
        SettingsView::Switched::Source::Nothing)
        countUse();
}

void TFormMtv::btn1Click()
{
    // Always the built-in site, also when the window opened a configured address.
    switchPage(QStringLiteral("骚年,点<-确定->将会使播放内容重新加载,你确定要这样做吗？"), PortalPages::mvReload(),
               true);
}
