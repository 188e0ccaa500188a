#include "portals/portalwindow.h"

#include "platform/messageboxes.h"
#include "platform/webview.h"
#include "services/centreonscreen.h"
#include "services/sites.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QIcon>
#include <QWindow>

PortalWindow::PortalWindow(Kind kind) : QWidget(nullptr), m_kind(std::move(kind))
{
    setAttribute(Qt::WA_DeleteOnClose);
    // Still open when the program ends: destroyed with the application, before the main window.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &QObject::deleteLater);
    TmrFmMdiTop.setInterval(m_kind.onTopIntervalMs);
    connect(&TmrFmMdiTop, &QTimer::timeout, this, &PortalWindow::TmrFmMdiTopTimer);
}

void PortalWindow::attachControls(const Controls& controls)
{
    m_controls = controls;
    setWindowTitle(m_kind.caption + Sites::productSiteHost());
    setWindowIcon(QIcon(QStringLiteral(":/shell/quvo.png")));
    resizeOuter(this, m_kind.size);
    centreOnPrimaryScreen(this);
    // Every change of a box counts, also one made by the program itself.
    connect(m_controls.onTop, &QCheckBox::toggled, this, &PortalWindow::chkontopClick);
    connect(m_controls.miniMode, &QCheckBox::toggled, this, &PortalWindow::chkhidemainClick);
}

void PortalWindow::paintBlack(QWidget* widget)
{
    QPalette black = widget->palette();
    black.setColor(QPalette::Window, Qt::black);
    black.setColor(QPalette::WindowText, Qt::white);
    widget->setPalette(black);
}

void PortalWindow::start()
{
    openStartPage();
    show();
}

SettingsView::Switched PortalWindow::openChosenPage(const SettingsView::Switched& page, const QString& builtInPage)
{
    if (const QString address = page.pageOr(builtInPage); !address.isEmpty())
        m_controls.page->navigate(address);
    return page;
}

bool PortalWindow::switchPage(const QString& question, const QString& address, bool counted)
{
    if (!MessageBoxes::confirm(this, question))
        return false;
    m_controls.page->navigate(address);
    if (counted)
        countUse();
    return true;
}

void PortalWindow::countUse()
{
    m_counter.navigate(m_kind.counterPath);
}

void PortalWindow::chkontopClick()
{
    if (m_controls.onTop->isChecked())
        TmrFmMdiTop.start();
    else
        TmrFmMdiTop.stop();
    // Ticked or not, the window leaves the top at once; the timer puts it back on its next tick.
    setTopmost(false);
}

void PortalWindow::chkhidemainClick()
{
    Q_EMIT miniModeChanged(m_controls.miniMode->isChecked());
}

void PortalWindow::TmrFmMdiTopTimer()
{
    // An open question box of this window comes forward instead of the window behind it.
    QWidget* target = this;
    if (QWidget* modal = QApplication::activeModalWidget();
        modal && modal->parentWidget() && modal->parentWidget()->window() == this)
        target = modal;
    target->raise();
    target->activateWindow();
    setTopmost(true);
}

bool PortalWindow::isTopmost() const
{
    if (const QWindow* handle = windowHandle())
        return handle->flags().testFlag(Qt::WindowStaysOnTopHint);
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void PortalWindow::setTopmost(bool topmost)
{
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, topmost);
    // QWidget::setWindowFlags would hide and re-create the native window (a visible flicker);
    // telling the native window directly only changes its stacking.
    overrideWindowFlags(flags);
    if (QWindow* handle = windowHandle())
        handle->setFlags(flags);
}

void PortalWindow::quitCommand()
{
    if (!MessageBoxes::confirm(this, m_kind.quitQuestion))
        return;
    m_closeConfirmed = true;
    close();
}

void PortalWindow::showEvent(QShowEvent* event)
{
    // A frame known only now (X11) still counts in the window's outer size.
    if (!m_shownOnce && frameGeometry().size() != m_kind.size)
        resizeOuter(this, m_kind.size);
    m_shownOnce = true;
    QWidget::showEvent(event);
}

void PortalWindow::closeEvent(QCloseEvent* event)
{
    // The title-bar close and Alt+F4 ask the same question as "退出".
    if (!m_closeConfirmed && !MessageBoxes::confirm(this, m_kind.quitQuestion)) {
        event->ignore();
        return;
    }
    m_closeConfirmed = true;
    TmrFmMdiTop.stop();
    if (m_controls.miniMode->isChecked())
        Q_EMIT miniModeChanged(false);
    event->accept();
}
