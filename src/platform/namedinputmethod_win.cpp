#include "platform/namedinputmethod.h"

#include <qt_windows.h>

#include <imm.h>

#include <vector>

QList<KeyboardLayout> installedKeyboardLayouts()
{
    const int count = GetKeyboardLayoutList(0, nullptr);
    if (count <= 0)
        return {};
    std::vector<HKL> handles(static_cast<size_t>(count));
    handles.resize(size_t(GetKeyboardLayoutList(count, handles.data())));
    QList<KeyboardLayout> layouts;
    for (HKL handle : handles) {
        KeyboardLayout layout{reinterpret_cast<quintptr>(handle), {}};
        // The length in characters without the terminating zero; 0 for a layout without an input method.
        const UINT length = ImmGetDescriptionW(handle, nullptr, 0);
        if (length > 0) {
            std::vector<wchar_t> text(length + 1);
            const UINT copied = ImmGetDescriptionW(handle, text.data(), length + 1);
            layout.inputMethod = QString::fromWCharArray(text.data(), int(qMin(copied, length)));
        }
        layouts.append(layout);
    }
    return layouts;
}

quintptr activeKeyboardLayout()
{
    return reinterpret_cast<quintptr>(GetKeyboardLayout(0));
}

void activateKeyboardLayout(quintptr layout)
{
    ActivateKeyboardLayout(reinterpret_cast<HKL>(layout), 0);
}
