// Right clicks on the native windows of a Windows page view, as the system delivers them.
#include "testsupport.h"

#include <QTest>
#include <QWidget>

#include <windows.h>

namespace {
constexpr UINT kDelivered = WM_APP + 0x51; // posted after the click: when it arrives, the click has
WNDPROC previousProcedure = nullptr;
int rightClicks = 0;
bool delivered = false;

LRESULT CALLBACK countingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kDelivered) {
        delivered = true;
        return 0;
    }
    if (message == WM_RBUTTONDOWN || message == WM_RBUTTONUP)
        ++rightClicks;
    return CallWindowProcW(previousProcedure, window, message, wParam, lParam);
}
} // namespace

int nativeRightClicksReaching(QWidget* pageView)
{
    if (!pageView)
        return -1;
    const auto view = reinterpret_cast<HWND>(pageView->winId());
    HWND target = view;
    while (HWND child = GetWindow(target, GW_CHILD))
        target = child;
    if (target == view)
        return -1; // the control made no window
    rightClicks = 0;
    delivered = false;
    previousProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(target, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&countingProcedure)));
    const LPARAM centre = MAKELPARAM(10, 10);
    PostMessageW(target, WM_RBUTTONDOWN, MK_RBUTTON, centre);
    PostMessageW(target, WM_RBUTTONUP, 0, centre);
    PostMessageW(target, kDelivered, 0, 0);
    static_cast<void>(QTest::qWaitFor([&] { return delivered; }, 10000)); // told by the answer
    SetWindowLongPtrW(target, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProcedure));
    return delivered ? rightClicks : -1;
}
