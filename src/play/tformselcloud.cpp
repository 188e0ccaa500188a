#include "play/tformselcloud.h"

#include "app/tformmain.h"
#include "app/windowrefs.h"
#include "config/remoteconfiguration.h"
#include "platform/messageboxes.h"
#include "play/cloudplaystate.h"
#include "play/handoff.h"

#include <QKeyEvent>
#include <QMouseEvent>

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

TFormSelCloud::TFormSelCloud(QWidget* parent) : QDialog(parent)
{
    loadPictures();
    setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    // Fixed single border, only the system menu, and above every other window.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setFixedSize(456, 260);
    FormSelCloud = this;

    for (QWidget* control : {imgLine2, lbl2, lbl4, imgLine1, lbl1, lbl3})
        control->installEventFilter(this);
    BtnClose->installEventFilter(this);
    connect(BtnClose, &QPushButton::clicked, this, &TFormSelCloud::BtnCloseClick);
    connect(chkSelLoveLines1, &QCheckBox::toggled, this, [this] { chkSelLoveLinesClick(1); });
    connect(chkSelLoveLines2, &QCheckBox::toggled, this, [this] { chkSelLoveLinesClick(2); });
    m_rgClick.addButton(RgClickItem0, 0);
    m_rgClick.addButton(RgClickItem1, 1);
    connect(&m_rgClick, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            RgClickClick();
    });

    if (Formmain) {
        if (const std::optional<ResultRow> row = Formmain->selectedRow())
            m_windowRowAddress = row->address;
    }
    // The boxes and the radio group show the run's state; ticking a box runs its click behaviour.
    const QByteArray& remembered = CloudPlay().rememberedLine();
    chkSelLoveLines1->setChecked(remembered == "1");
    chkSelLoveLines2->setChecked(remembered == "2");
    if (CloudPlay().singleClickPlay())
        RgClickItem0->setChecked(true);
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

bool TFormSelCloud::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == BtnClose) {
        // Merely passing the pointer over the close button closes the window.
        if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove)
            BtnCloseClick();
        return false;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        auto* control = static_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton && control->rect().contains(mouse->position().toPoint())) {
            const bool lineOne = watched == imgLine2 || watched == lbl2 || watched == lbl4;
            chooseLine(lineOne ? 1 : 2);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormSelCloud::chooseLine(int line)
{
    if (!Formmain || !Formmain->selectedRow()) {
        MessageBoxes::inform(this, QStringLiteral("您还没有在列表里选择需要播放的电影!"));
        return;
    }
    HandOff::openPlayAddress(CloudPlay().chooseLine(line, RemoteConfig(), m_windowRowAddress));
    Formmain->wbAllNum.navigate(CloudPlayState::counterPage(line));
    close();
}

void TFormSelCloud::chkSelLoveLinesClick(int line)
{
    QCheckBox* box = line == 1 ? chkSelLoveLines1 : chkSelLoveLines2;
    QCheckBox* other = line == 1 ? chkSelLoveLines2 : chkSelLoveLines1;
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
