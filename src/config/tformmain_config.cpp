// The main window's settings-document timer.
#include "app/tformmain.h"

#include "config/fetchremoteconfiguration.h"

void TFormmain::TmrchkupdateTimer()
{
    Tmrchkupdate.stop(); // once per run
    try {
        FetchRemoteConfiguration();
    } catch (...) {
        // Failures of the settings document are never shown.
    }
}
