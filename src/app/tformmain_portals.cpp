// The main window's portal buttons: TV, music, MV.
#include "app/tformmain.h"
#include "config/settingsview.h"
#include "portals/portalpages.h"
#include "portals/tformmtv.h"
#include "portals/tformmusic.h"
#include "services/defaultbrowser.h"
#include "services/windowrefs.h"

#include <QGuiApplication>
#include <QScreen>

namespace {
// The portal's mini mode hides the main window while it is on and shows it again when it ends.
void openPortal(TFormmain* main, PortalWindow* portal)
{
    QObject::connect(portal, &PortalWindow::miniModeChanged, main, [main](bool on) { main->setVisible(!on); });
    portal->start();
}
} // namespace

void TFormmain::btnTvClick()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const SettingsView::Switched tv = SettingsView().tvPage();
    const QString page = tv.pageOr(PortalPages::fengyunMini(screen ? screen->size() : QSize()));
    if (page.isEmpty())
        return;
    OpenInDefaultBrowser(page);
    if (tv.source == SettingsView::Switched::Source::BuiltIn) // a configured TV page is not counted
        wbAllNum.navigate(PortalPages::tvCounter);
}

// Every click opens one more window; open ones are not reused.
void TFormmain::BtnMusicClick()
{
    FormMusic = new TFormMusic;
    openPortal(this, FormMusic);
}

void TFormmain::btn6Click()
{
    FormMtv = new TFormMtv;
    openPortal(this, FormMtv);
}
