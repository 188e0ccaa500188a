#include "play/tformselcloud.h"

#include "config/settingsview.h"
#include "platform/messageboxes.h"
#include "play/cloudplaystate.h"
#include "play/handoff.h"
#include "services/eventhook.h"
#include "services/windowrefs.h"
#include "ui_tformselcloud.h"

#include <QKeyEvent>

// The window's pictures live in a resource of the static UI library, which must be registered.
// (Q_INIT_RESOURCE declares its function, so this stays outside any namespace.)
static void loadPictures()
{
    static const bool loaded = [] {
        Q_INIT_RESOURCE(play);
        return true;
    }();
    Q_UNUSED(loaded);
}

TFormSelCloud::TFormSelCloud(SelectedAddress selectedAddress, CountUse countUse, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TFormSelCloud>()), m_selectedAddress(std::move(selectedAddress)),
      m_countUse(std::move(countUse))
{
    loadPictures();
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    // Fixed single border, only the system menu, and above every other window.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setFixedSize(456, 260);
    FormSelCloud = this;

    // The pictures and labels of a line choose it (those beside the second picture choose line 1).
    for (QWidget* control : {m_ui->imgLine2, m_ui->lbl2, m_ui->lbl4})
        onLeftClick(control, [this] { chooseLine(1); });
    for (QWidget* control : {m_ui->imgLine1, m_ui->lbl1, m_ui->lbl3})
        onLeftClick(control, [this] { chooseLine(2); });
    // Merely passing the pointer over the close button closes the window.
    EventHook::install(m_ui->BtnClose, [this](QEvent* event) {
        if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove)
            BtnCloseClick();
        return false;
    });
    connect(m_ui->BtnClose, &QPushButton::clicked, this, &TFormSelCloud::BtnCloseClick);
    connect(m_ui->chkSelLoveLines1, &QCheckBox::toggled, this, [this] { chkSelLoveLinesClick(1); });
    connect(m_ui->chkSelLoveLines2, &QCheckBox::toggled, this, [this] { chkSelLoveLinesClick(2); });
    m_rgClick.addButton(m_ui->RgClickItem0, 0);
    m_rgClick.addButton(m_ui->RgClickItem1, 1);
    connect(&m_rgClick, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            RgClickClick();
    });

    if (m_selectedAddress)
        m_windowRowAddress = m_selectedAddress().value_or(QByteArray());
    // The boxes and the radio group show the run's state; ticking a box runs its click behaviour.
    const QByteArray& remembered = CloudPlay().rememberedLine();
    m_ui->chkSelLoveLines1->setChecked(remembered == "1");
    m_ui->chkSelLoveLines2->setChecked(remembered == "2");
    if (CloudPlay().singleClickPlay())
        m_ui->RgClickItem0->setChecked(true);
}

TFormSelCloud::~TFormSelCloud()
{
    EventHook::removeAll(this);
}

void TFormSelCloud::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    raise();
    activateWindow();
}

void TFormSelCloud::keyPressEvent(QKeyEvent* event)
{
    // Escape does not close this window; Enter answers the close button.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormSelCloud::chooseLine(int line)
{
    if (!m_selectedAddress || !m_selectedAddress()) {
        MessageBoxes::informOnScreenCentre(this, QStringLiteral("您还没有在列表里选择需要播放的电影!"));
        return;
    }
    HandOff::openPlayAddress(CloudPlay().chooseLine(line, SettingsView(), m_windowRowAddress));
    if (m_countUse)
        m_countUse(CloudPlayState::counterPage(line));
    close();
}

void TFormSelCloud::chkSelLoveLinesClick(int line)
{
    QCheckBox* box = line == 1 ? m_ui->chkSelLoveLines1 : m_ui->chkSelLoveLines2;
    QCheckBox* other = line == 1 ? m_ui->chkSelLoveLines2 : m_ui->chkSelLoveLines1;
    if (box->isChecked()) {
        other->setChecked(false);
        CloudPlay().rememberLine(line);
    } else {
        CloudPlay().forgetLine();
    }
}

void TFormSelCloud::RgClickClick()
{
    CloudPlay().setSingleClickPlay(RgClickItemIndex() == 0);
}

void TFormSelCloud::BtnCloseClick()
{
    close();
}
