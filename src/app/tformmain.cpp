#include "app/tformmain.h"

#include "app/advertisementstrip.h"
#include "app/qrcodepicture.h"
#include "app/rightclickbarrier.h"
#include "platform/globalhotkey.h"
#include "platform/messageboxes.h"
#include "play/playcommands.h"
#include "search/searchcommands.h"
#include "services/centreonscreen.h"
#include "services/defaultbrowser.h"
#include "services/eventhook.h"
#include "services/lifecycle.h"
#include "services/sites.h"
#include "ui_tformmain.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QShortcut>
#include <QVariantAnimation>

TFormmain::TFormmain(QWidget* parent) : QMainWindow(parent), m_ui(std::make_unique<Ui::TFormmain>())
{
    Q_INIT_RESOURCE(shell);
    m_ui->setupUi(this);
    setWindowTitle(Sites::mainWindowCaption());
    resize(1024, 656);
    centreOnPrimaryScreen(this);

    createListMenu();
    setupSearch();
    setupPlay();
    createStatusBar();
    createWeiboPicture();
    setButtonPictures();
    setWindowIcon(QIcon(QStringLiteral(":/shell/quvo.png")));
    aplctnvntsAdver = new RightClickBarrier(m_ui->pnlAdver, this);
    m_advertisement = std::make_unique<AdvertisementStrip>(AdvertisementStrip::Parts{
        centralWidget(), m_ui->pnlAdver, m_ui->wbAdver, &TmrShowtime, m_ui->pnltop, m_ui->pnlButtonPnl});
    watchPointerForWeibo();
    EventHook::install(centralWidget(), [this](QEvent* event) { // the strip follows the window's height
        if (event->type() == QEvent::Resize)
            m_advertisement->fit();
        return false;
    });
    m_ui->EdtSearch->setFocus(); // the keyword box is where the user starts typing

    Tmrchkupdate.setObjectName(QStringLiteral("Tmrchkupdate"));
    Tmrchkupdate.setInterval(1000);
    TmrShowtime.setObjectName(QStringLiteral("TmrShowtime"));
    TmrShowtime.setInterval(50000);
    TmrShowtime.start(); // runs from creation
    connectHandlers();

    // Creation steps: hot key, hint of the music button, the settings timer.
    m_hotKey = new GlobalHotKey(this);
    connect(m_hotKey, &GlobalHotKey::activated, this, &TFormmain::toggleVisibilityByHotKey);
    m_hotKey->registerAltF1();
    m_ui->BtnMusic->setToolTip(QStringLiteral("听一段放松的音乐!\r\n建议不要同时打开多个窗口，以免窗口太多显得混乱!"));
    Tmrchkupdate.start();
}

TFormmain::~TFormmain()
{
    EventHook::removeAll(this);
}

void TFormmain::createListMenu()
{
    pm1 = new QMenu(this);
    pm1->addAction(m_ui->actCloudPlay); // the menu's play item (N4) is the action itself
    pm1->addAction(m_ui->ThunderDown);
    pm1->addAction(m_ui->mniPopCopyAdd);
    pm1->addAction(m_ui->PopCopyCaption);
    pm1->addAction(m_ui->N1);
    // The items added to the list's own ones, after a separator; the letters are set by hand.
    pm1->addSeparator();
    auto item = [this](const char* name, const QString& text) {
        auto* action = new QAction(text, this);
        action->setObjectName(QLatin1String(name));
        pm1->addAction(action);
        return action;
    };
    mniCopyMagnet = item("mniCopyMagnet", QStringLiteral("(&M)复制磁力链接"));
    mniCopyAllMagnets = item("mniCopyAllMagnets", QStringLiteral("(&L)复制全部磁力链接"));
    mniOpenMagnet = item("mniOpenMagnet", QStringLiteral("(&O)用默认下载工具打开"));
    mniFilter = item("mniFilter", QStringLiteral("(&F)筛选结果"));
    mniFilter->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    mniFilter->setShortcutContext(Qt::WindowShortcut);
    addAction(mniFilter); // Ctrl+F works with the menu closed
    mniSearchSites = item("mniSearchSites", QStringLiteral("(&W)搜索网站…"));
    mniClearHistory = item("mniClearHistory", QStringLiteral("(&H)清除搜索记录"));
}

void TFormmain::createStatusBar()
{
    // The bar is 16 px high. Qt's own item layout keeps 5 of them empty above and below its items, too
    // little for a line of text: the panels lie in a row of their own over the bar, which leaves the
    // size grip its corner.
    constexpr int height = 16;
    constexpr int gripWidth = 16;
    m_ui->stat1->setFixedHeight(height);
    auto* row = new QWidget(m_ui->stat1);
    row->setObjectName(QStringLiteral("stat1Panels"));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    const int widths[3] = {250, 420, 0};
    for (int i = 0; i < 3; ++i) {
        statPanels[i] = new QLabel(row);
        statPanels[i]->setObjectName(QStringLiteral("statPanel%1").arg(i));
        statPanels[i]->setTextFormat(Qt::PlainText); // the version status comes from the settings document
        statPanels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        QFont font = statPanels[i]->font();
        font.setPixelSize(12);
        statPanels[i]->setFont(font);
        if (widths[i] > 0)
            statPanels[i]->setFixedWidth(widths[i]);
        layout->addWidget(statPanels[i], widths[i] > 0 ? 0 : 1);
    }
    EventHook::install(m_ui->stat1, [this, row](QEvent* event) {
        if (event->type() == QEvent::Resize)
            row->setGeometry(0, 0, qMax(0, m_ui->stat1->width() - gripWidth), height);
        return false;
    });
    statPanels[2]->setAlignment(Qt::AlignCenter);
    statPanels[0]->setText(QStringLiteral("快速隐藏:按ALT+F1可隐藏与显示本窗体"));
    statPanels[1]->setText(QStringLiteral("无盒子,不屌丝,记住官方网址:") + Sites::productSiteAddress());
}

void TFormmain::createWeiboPicture()
{
    pnlweibo = new QFrame(centralWidget());
    pnlweibo->setObjectName(QStringLiteral("pnlweibo"));
    pnlweibo->setGeometry(559, 77, 130, 130);
    pnlweibo->setFrameShape(QFrame::NoFrame);
    imgweibo = new QLabel(pnlweibo);
    imgweibo->setObjectName(QStringLiteral("imgweibo"));
    imgweibo->setGeometry(0, 0, 130, 130);
    imgweibo->setScaledContents(true);
    imgweibo->setPixmap(QPixmap::fromImage(qrCodePicture(Sites::microblogAddress(), 174)));
    pnlweibo->hide();
}

void TFormmain::connectHandlers()
{
    // search: setupSearch()
    EventHook::install(m_ui->EdtSearch, [this](QEvent* event) {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        EdtSearchKeyPress(enter ? 13 : key);
        return enter; // Enter is consumed by the search
    });
    // Enter while the keyword history is open reaches the box past the hook above (the history's
    // list hands it on), as the box's own Return.
    connect(m_ui->EdtSearch, &QLineEdit::returnPressed, this, [this] { EdtSearchKeyPress(13); });
    connect(m_ui->lv1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        pm1Popup();
        pm1->popup(m_ui->lv1->viewport()->mapToGlobal(at));
    });
    connect(mniFilter, &QAction::triggered, this, &TFormmain::mniFilterClick);
    connect(mniClearHistory, &QAction::triggered, this, &TFormmain::mniClearHistoryClick);

    // play and hand-off
    EventHook::install(m_ui->lv1->viewport(), [this](QEvent* event) {
        lv1ViewportEvent(event);
        return false; // the list selects the row first
    });
    connect(m_ui->actCloudPlay, &QAction::triggered, this, &TFormmain::actCloudPlayExecute);
    connect(m_ui->btnCloudPlay, &QToolButton::clicked, this, &TFormmain::btnCloudPlayClick);
    connect(m_ui->ThunderDown, &QAction::triggered, this, &TFormmain::ThunderDownClick);
    connect(m_ui->mniPopCopyAdd, &QAction::triggered, this, &TFormmain::mniPopCopyAddClick);
    connect(m_ui->PopCopyCaption, &QAction::triggered, this, &TFormmain::PopCopyCaptionClick);
    connect(mniCopyMagnet, &QAction::triggered, this, &TFormmain::mniCopyMagnetClick);
    connect(mniCopyAllMagnets, &QAction::triggered, this, &TFormmain::mniCopyAllMagnetsClick);
    connect(mniOpenMagnet, &QAction::triggered, this, &TFormmain::mniOpenMagnetClick);
    connect(m_ui->btnXunleiDown, &QPushButton::clicked, m_ui->ThunderDown, &QAction::trigger);
    connect(m_ui->btnCopyAdd, &QPushButton::clicked, m_ui->mniPopCopyAdd, &QAction::trigger);
    connect(m_ui->btnCopyCap, &QPushButton::clicked, m_ui->PopCopyCaption, &QAction::trigger);

    // portals
    connect(m_ui->btnTv, &QToolButton::clicked, this, &TFormmain::btnTvClick);
    connect(m_ui->BtnMusic, &QToolButton::clicked, this, &TFormmain::BtnMusicClick);
    connect(m_ui->btn6, &QToolButton::clicked, this, &TFormmain::btn6Click);

    // shell
    connect(m_ui->btn3, &QToolButton::clicked, this, &TFormmain::btn3Click);
    connect(m_ui->BtnFeedback, &QToolButton::clicked, this, &TFormmain::BtnFeedbackClick);
    connect(m_ui->btnweibo, &QToolButton::clicked, this, &TFormmain::btnweiboClick);
    connect(m_ui->btnAdClose, &QPushButton::clicked, this, &TFormmain::btnAdCloseClick);
    connect(&TmrShowtime, &QTimer::timeout, this, &TFormmain::TmrShowtimeTimer);
    connect(m_ui->btnActQuit, &QToolButton::clicked, m_ui->actActQuit, &QAction::trigger);
    connect(m_ui->actActQuit, &QAction::triggered, this, &TFormmain::actActQuitExecute);
    // Alt+F4 is the window manager's; without one (or where it passes the key on) the window
    // still asks before it closes.
    auto* altF4 = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F4), this);
    connect(altF4, &QShortcut::activated, this, &QWidget::close);

    // settings document
    connect(&Tmrchkupdate, &QTimer::timeout, this, &TFormmain::TmrchkupdateTimer);
}

void TFormmain::setStatusPanelText(int panel, const QString& text)
{
    if (panel >= 0 && panel < 3)
        statPanels[panel]->setText(text);
}

void TFormmain::countUse(const QByteArray& path)
{
    wbAllNum.navigate(path);
}

void TFormmain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_animated) {
        m_animated = true;
        startShowAnimation();
    }
}

void TFormmain::closeEvent(QCloseEvent* event)
{
    if (m_quitConfirmed) {
        event->accept();
        return;
    }
    event->ignore();
    actActQuitExecute();
}

void TFormmain::actActQuitExecute()
{
    if (!MessageBoxes::confirm(this, QStringLiteral("555~~~ 真的不撸一发再走吗?!")))
        return;
    m_quitConfirmed = true;
    endProgram();
}

void TFormmain::toggleVisibilityByHotKey()
{
    setVisible(!isVisible());
}

void TFormmain::bringToFront()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

// --- the shell's own parts ---

void TFormmain::setButtonPictures()
{
    QToolButton* const buttons[] = {m_ui->btnCloudPlay, m_ui->btnTv,       m_ui->btn6,     m_ui->BtnMusic,
                                    m_ui->btn3,         m_ui->BtnFeedback, m_ui->btnweibo, m_ui->btnActQuit};
    for (QToolButton* button : buttons) {
        button->setIcon(QIcon(QStringLiteral(":/shell/%1.png").arg(button->objectName())));
        QFont font = button->font();
        font.setPixelSize(9);
        button->setFont(font);
    }
}

void TFormmain::startShowAnimation()
{
    // The window opens from its centre outwards: a growing clip, 200 ms, like the system's own
    // centre animation. The layout is not disturbed, only what is drawn grows.
    m_showAnimation = new QVariantAnimation(this);
    m_showAnimation->setDuration(200);
    const QRect full = rect();
    m_showAnimation->setStartValue(QRect(full.center(), QSize(1, 1)));
    m_showAnimation->setEndValue(full);
    connect(m_showAnimation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { setMask(QRegion(value.toRect())); });
    connect(m_showAnimation, &QVariantAnimation::finished, this, [this] { clearMask(); });
    setMask(QRegion(m_showAnimation->startValue().toRect()));
    m_showAnimation->start();
}

void TFormmain::watchPointerForWeibo()
{
    // Pointer moves without a pressed button only arrive with tracking on.
    QWidget* const watched[] = {m_ui->btnweibo, m_ui->BtnFeedback, m_ui->btnActQuit,     m_ui->pnltop,
                                m_ui->pnl2,     m_ui->lv1,         m_ui->lv1->viewport()};
    for (QWidget* widget : watched) {
        widget->setMouseTracking(true);
        EventHook::install(widget, [this, widget](QEvent* event) {
            if (event->type() == QEvent::MouseMove)
                weiboPointerMoved(widget, static_cast<QMouseEvent*>(event));
            return false;
        });
    }
}

void TFormmain::weiboPointerMoved(QWidget* widget, const QMouseEvent* event)
{
    // A move over a child control reaches its parent panel too; only moves right over the
    // listed control itself count.
    if (widget->childAt(event->position().toPoint()))
        return;
    if (widget == m_ui->btnweibo)
        pnlweibo->show();
    else if (widget == m_ui->BtnFeedback || widget == m_ui->btnActQuit || widget == m_ui->pnltop ||
             widget == m_ui->pnl2 || widget == m_ui->lv1 || widget == m_ui->lv1->viewport())
        pnlweibo->hide();
}

void TFormmain::openSwitchedPage(const SettingsView::Switched& page, const QString& builtIn,
                                 const QByteArray& counterPath)
{
    const QString address = page.pageOr(builtIn);
    if (address.isEmpty())
        return;
    OpenInDefaultBrowser(address);
    wbAllNum.navigate(counterPath);
}

void TFormmain::btn3Click()
{
    OpenInDefaultBrowser(Sites::productSiteHost());
    wbAllNum.navigate("/update/HomePG.php");
}

void TFormmain::BtnFeedbackClick()
{
    openSwitchedPage(SettingsView().feedbackPage(), Sites::productSiteAddress() + QStringLiteral("/建议反馈/"),
                     "/update/Feedbk.php");
}

void TFormmain::btnweiboClick()
{
    openSwitchedPage(SettingsView().microblogPage(), Sites::microblogAddress(), "/update/WeiBo.php");
}

void TFormmain::showAdvertisement()
{
    m_advertisement->show(SettingsView());
}

void TFormmain::TmrShowtimeTimer()
{
    m_advertisement->timeUp();
}

void TFormmain::btnAdCloseClick()
{
    m_advertisement->close();
}
