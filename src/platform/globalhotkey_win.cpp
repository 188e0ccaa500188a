#include "platform/globalhotkey.h"

#include <QCoreApplication>

#include <qt_windows.h>

bool GlobalHotKey::registerAltF1()
{
    if (m_registered)
        return true;
    m_keycode = VK_F1;
    m_registered = RegisterHotKey(nullptr, 1, MOD_ALT, VK_F1);
    if (m_registered)
        QCoreApplication::instance()->installNativeEventFilter(this);
    return m_registered;
}

void GlobalHotKey::ungrab()
{
    UnregisterHotKey(nullptr, 1);
}

bool GlobalHotKey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "windows_generic_MSG")
        return false;
    const auto* msg = static_cast<const MSG*>(message);
    if (msg->message != WM_HOTKEY || HIWORD(msg->lParam) != VK_F1 || LOWORD(msg->lParam) != MOD_ALT)
        return false;
    Q_EMIT activated();
    return true;
}
