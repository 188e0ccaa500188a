#include "platform/namedinputmethod.h"

// The desktop chooses the input method (IBus, Fcitx): a program does not switch it.
QList<KeyboardLayout> installedKeyboardLayouts()
{
    return {};
}

quintptr activeKeyboardLayout()
{
    return 0;
}

void activateKeyboardLayout(quintptr)
{
}
