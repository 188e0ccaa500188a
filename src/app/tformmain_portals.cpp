// The main window's portal buttons: TV, music, MV.
#include "app/tformmain.h"

#include "portals/portalcommands.h"

void TFormmain::btnTvClick()
{
    PortalCommands::openTv([this](const QByteArray& path) { countUse(path); });
}

void TFormmain::BtnMusicClick()
{
    PortalCommands::openMusic(this);
}

void TFormmain::btn6Click()
{
    PortalCommands::openMv(this);
}
