// The update window's download: size request, segment workers, joining.
#include "update/tformupdate.h"

void TFormupdate::ButtonDownClick()
{
}

void TFormupdate::Button2Click()
{
}
