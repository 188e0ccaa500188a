#include "portals/tformmusic.h"

#include "config/remoteconfiguration.h"
#include "ui_tformmusic.h"

namespace {
const QColor kSilver(0xc0, 0xc0, 0xc0);
}

TFormMusic::TFormMusic()
    : PortalWindow({QStringLiteral("QV盒子-音乐欣赏  "),
                    {922, 611},
                    1000,
                    QStringLiteral("wbMusicNum"),
                    PortalPages::musicCounter,
                    QStringLiteral("骚年,点<-确定->退出播放,真的要退出吗?")}),
      m_ui(std::make_unique<Ui::TFormMusic>())
{
    m_ui->setupUi(this);
    attachControls({m_ui->chkontop, m_ui->chkhidemain, m_ui->wb1});

    // Black window and tool bar; the boxes' captions in white so they stay readable, the note in silver.
    paintBlack(this);
    QPalette note = m_ui->lbl1->palette();
    note.setColor(QPalette::WindowText, kSilver);
    m_ui->lbl1->setPalette(note);

    m_ui->wb1->setRightClickBlocked(true);
    connect(m_ui->btnTheMusic, &QPushButton::clicked, this, &TFormMusic::btnTheMusicClick);
    connect(m_ui->btnKugMusic, &QPushButton::clicked, this, &TFormMusic::btnKugMusicClick);
    connect(m_ui->btnQuit, &QPushButton::clicked, this, &TFormMusic::btnQuitClick);
}

TFormMusic::~TFormMusic() = default;

void TFormMusic::openStartPage()
{
    if (openChosenPage(SettingsView().musicPage(), PortalPages::themeMusic()).source !=
        SettingsView::Switched::Source::BuiltIn)
        return; // the configured page: no mini mode, no count
    m_ui->chkhidemain->setChecked(true);
    countUse();
}

void TFormMusic::btnTheMusicClick()
{
    switchPage(QStringLiteral("骚年,点<-确定->将切换到主题音乐模式,确定吗？"), PortalPages::themeMusic(), true);
}

void TFormMusic::btnKugMusicClick()
{
    if (switchPage(QStringLiteral("骚年,点<-确定->将切换到酷狗音乐模式,确定吗？"), PortalPages::kugou(), false))
        m_ui->btnTheMusic->setEnabled(true);
}
