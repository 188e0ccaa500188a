#include "portals/portalwindow.h"

#include "app/tformmain.h"
#include "app/windowrefs.h"
#include "platform/messageboxes.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QScreen>
#include <QWindow>

PortalWindow::PortalWindow(int onTopIntervalMs) : QWidget(nullptr)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // Still open when the program ends: destroyed with the application, before the main window.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &QObject::deleteLater);
    TmrFmMdiTop.setInterval(onTopIntervalMs);
    connect(&TmrFmMdiTop, &QTimer::timeout, this, &PortalWindow::TmrFmMdiTopTimer);
}

void PortalWindow::attachBoxes(QCheckBox* onTop, QCheckBox* miniMode)
{
    m_onTop = onTop;
    m_miniMode = miniMode;
    // Every change of a box counts, also one made by the program itself.
    connect(m_onTop, &QCheckBox::toggled, this, &PortalWindow::chkontopClick);
    connect(m_miniMode, &QCheckBox::toggled, this, &PortalWindow::chkhidemainClick);
}

void PortalWindow::centreOnDesktop(QSize size)
{
    resize(size);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void PortalWindow::chkontopClick()
{
    if (m_onTop->isChecked())
        TmrFmMdiTop.start();
    else
        TmrFmMdiTop.stop();
    // Ticked or not, the window leaves the top at once; the timer puts it back on its next tick.
    setTopmost(false);
}

void PortalWindow::chkhidemainClick()
{
    if (Formmain)
        Formmain->setVisible(!m_miniMode->isChecked());
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
    if (!MessageBoxes::confirm(this, quitQuestion()))
        return;
    m_closeConfirmed = true;
    close();
}

void PortalWindow::closeEvent(QCloseEvent* event)
{
    // The title-bar close and Alt+F4 ask the same question as "退出".
    if (!m_closeConfirmed && !MessageBoxes::confirm(this, quitQuestion())) {
        event->ignore();
        return;
    }
    m_closeConfirmed = true;
    TmrFmMdiTop.stop();
    if (m_miniMode->isChecked() && Formmain)
        Formmain->show();
    event->accept();
}
