// The main window's portal buttons: TV, music, MV.
#include "app/tformmain.h"

void TFormmain::btnTvClick() {}
void TFormmain::BtnMusicClick() {}
void TFormmain::btn6Click() {}
