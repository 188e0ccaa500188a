#include "portals/portalcommands.h"

#include "config/settingsview.h"
#include "portals/portalpages.h"
#include "portals/tformmtv.h"
#include "portals/tformmusic.h"
#include "services/defaultbrowser.h"
#include "services/windowrefs.h"

#include <QGuiApplication>
#include <QScreen>

namespace {
void openPortal(QWidget* mainWindow, PortalWindow* portal)
{
    QObject::connect(portal, &PortalWindow::miniModeChanged, mainWindow,
                     [mainWindow](bool on) { mainWindow->setVisible(!on); });
    portal->start();
}
} // namespace

namespace PortalCommands {

void openTv(const std::function<void(const QByteArray& path)>& countUse)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const SettingsView::Switched tv = SettingsView().tvPage();
    const QString page = tv.pageOr(PortalPages::fengyunMini(screen ? screen->size() : QSize()));
    if (page.isEmpty())
        return;
    OpenInDefaultBrowser(page);
    if (tv.source == SettingsView::Switched::Source::BuiltIn) // a configured TV page is not counted
        countUse(PortalPages::tvCounter);
}

void openMusic(QWidget* mainWindow)
{
    FormMusic = new TFormMusic;
    openPortal(mainWindow, FormMusic);
}

void openMv(QWidget* mainWindow)
{
    FormMtv = new TFormMtv;
    openPortal(mainWindow, FormMtv);
}

} // namespace PortalCommands
