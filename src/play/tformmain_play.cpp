// The main window's play and hand-off handlers: play command, line selection, Thunder, clipboard.
#include "app/tformmain.h"

void TFormmain::lv1DblClick() {}
void TFormmain::lv1Click() {}
void TFormmain::actCloudPlayExecute() {}
void TFormmain::btnCloudPlayClick() {}
void TFormmain::ThunderDownClick() {}
void TFormmain::mniPopCopyAddClick() {}
void TFormmain::PopCopyCaptionClick() {}
