// The main window's settings-document timer.
#include "app/tformmain.h"

void TFormmain::TmrchkupdateTimer()
{
    Tmrchkupdate.stop();
}
