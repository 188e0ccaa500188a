#include "update/tformupdate.h"

#include "config/settingsview.h"
#include "platform/logging.h"
#include "services/centreonscreen.h"
#include "services/defaultbrowser.h"
#include "services/eventhook.h"
#include "services/lifecycle.h"
#include "services/sites.h"
#include "ui_tformupdate.h"

#include <QDir>
#include <QFileDialog>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QTemporaryFile>

// The window's picture lives in a resource file of the static library; make sure it is linked in.
static void initUpdateResources()
{
    Q_INIT_RESOURCE(update);
}

namespace {
const QColor kNoteHoverColor(0, 0, 255);
const QColor kNoteColor(0, 0, 0);

void setTextColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}
} // namespace

TFormupdate::TFormupdate(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::TFormupdate>())
{
    initUpdateResources();
    m_ui->setupUi(this);
    // A fixed dialog border with only a close box, above every window that is not topmost itself.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint);
    setFixedSize(415, 253);
    // The layout is laid out in pixels for a 12-pixel font; keep it whatever the desktop's default.
    QFont windowFont = font();
    windowFont.setPixelSize(12);
    setFont(windowFont);
    // The note's four lines only fit its 65 pixels with the CJK fonts' tall lines at 11 pixels.
    QFont noteFont = windowFont;
    noteFont.setPixelSize(11);
    m_ui->lblupdateNote->setFont(noteFont);
    setWindowTitle(captionText());
    setMouseTracking(true);

    m_statusPanel = new QLabel(statusBarText(), m_ui->StatusBar1);
    m_statusPanel->setObjectName(QStringLiteral("StatusBar1Panel"));
    m_statusPanel->setTextFormat(Qt::PlainText);
    m_ui->StatusBar1->addWidget(m_statusPanel, 1);

    m_ui->Edit1->setText(QString::fromLatin1(Sites::productServerUrl("/update/qorvex.rar")));
    m_saveDialog = new QFileDialog(this);
    m_saveDialog->setObjectName(QStringLiteral("SaveDialog1"));
    m_saveDialog->setAcceptMode(QFileDialog::AcceptSave);
    m_saveDialog->setDirectory(saveDialogStartFolder());

    applyRemoteSettings();
    connectHandlers();
    // Closed by its close box too: a size request still under way is given up with the window.
    connect(this, &QDialog::finished, this, &TFormupdate::dropSizeRequest);
}

QString TFormupdate::saveDialogStartFolder()
{
    // The working folder, as the download has always used it; but started from the Start menu that is
    // the program's own folder, where an ordinary user cannot write: then the user's downloads folder.
    // Only a file really made tells: attributes and mode bits say nothing of Windows' access lists.
    QTemporaryFile probe(QDir::current().filePath(QStringLiteral("quvo-write-probe-XXXXXX")));
    if (probe.open())
        return QDir::currentPath();
    QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (downloads.isEmpty() || !QDir().mkpath(downloads))
        downloads = QDir::homePath();
    qCInfo(lcUpdate) << "the working folder" << QDir::currentPath() << "cannot be written; the save dialog starts in"
                     << downloads;
    return downloads;
}

TFormupdate::~TFormupdate()
{
    EventHook::removeAll(this);
}

void TFormupdate::showReleaseNote(const QString& version)
{
    m_ui->lblupnote->setText(QStringLiteral("版本") + version + QStringLiteral("  更新说明"));
}

QString TFormupdate::captionText()
{
    return QStringLiteral("Quvo盒子提示您,服务器已有新版本啦!  ") + Sites::productSiteAddress();
}

QString TFormupdate::statusBarText()
{
    return QStringLiteral("QV盒子升级程序! ") + Sites::productSiteAddress() + QStringLiteral(" 欢迎大家下载更新!");
}

void TFormupdate::applyRemoteSettings()
{
    const SettingsView settings;
    if (settings.updateMarkedVoluntary())
        m_ui->BtnQuit->setText(QStringLiteral("下次再说!"));
    m_ui->BtnBypass1->setVisible(settings.mirrorPage(1).has_value());
    m_ui->BtnBypass2->setVisible(settings.mirrorPage(2).has_value());
    m_ui->BtnBypass3->setVisible(settings.mirrorPage(3).has_value());
}

void TFormupdate::connectHandlers()
{
    connect(m_ui->btnHomepage, &QPushButton::clicked, this, &TFormupdate::btnHomepageClick);
    connect(m_ui->BtnBypass1, &QPushButton::clicked, this, &TFormupdate::BtnBypass1Click);
    connect(m_ui->BtnBypass2, &QPushButton::clicked, this, &TFormupdate::BtnBypass2Click);
    connect(m_ui->BtnBypass3, &QPushButton::clicked, this, &TFormupdate::BtnBypass3Click);
    connect(m_ui->BtnQuit, &QPushButton::clicked, this, &TFormupdate::BtnQuitClick);
    connect(m_ui->ButtonDown, &QPushButton::clicked, this, &TFormupdate::ButtonDownClick);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TFormupdate::Button2Click);
    onLeftClick(m_ui->imgUpdatePic, [this] { imgUpdatePicClick(); });
    onLeftClick(m_ui->lblupdateNote, [this] { lblupdateNoteClick(); });
    EventHook::install(m_ui->lblupdateNote, [this](QEvent* event) {
        if (event->type() != QEvent::MouseMove)
            return false;
        lblupdateNoteMouseMove();
        return true; // not passed on to the window, which would turn the text black again
    });
}

void TFormupdate::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    centreOnPrimaryScreen(this);
    raise();
    activateWindow();
}

void TFormupdate::mouseMoveEvent(QMouseEvent* event)
{
    // Moves over a control that ignores them arrive here too; only the free area counts.
    if (!childAt(event->position().toPoint()))
        FormMouseMove();
    QDialog::mouseMoveEvent(event);
}

void TFormupdate::btnHomepageClick()
{
    OpenInDefaultBrowser(QString::fromLatin1(Sites::productServerUrl("/")));
}

void TFormupdate::imgUpdatePicClick()
{
    btnHomepageClick();
}

void TFormupdate::lblupdateNoteClick()
{
    btnHomepageClick();
}

void TFormupdate::openMirror(int number)
{
    if (const std::optional<QString> page = SettingsView().mirrorPage(number))
        OpenInDefaultBrowser(*page);
}

void TFormupdate::BtnBypass1Click()
{
    openMirror(1);
}

void TFormupdate::BtnBypass2Click()
{
    openMirror(2);
}

void TFormupdate::BtnBypass3Click()
{
    openMirror(3);
}

void TFormupdate::BtnQuitClick()
{
    dropSizeRequest();
    const bool forced = SettingsView().forcedUpdate();
    if (forced || m_downloadCompleted) {
        endProgram();
        return;
    }
    close();
}

void TFormupdate::lblupdateNoteMouseMove()
{
    setTextColor(m_ui->lblupdateNote, kNoteHoverColor);
}

void TFormupdate::FormMouseMove()
{
    setTextColor(m_ui->lblupdateNote, kNoteColor);
}
