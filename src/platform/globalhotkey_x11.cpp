#include "platform/globalhotkey.h"

#include <QGuiApplication>

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

namespace {
Display* x11Display()
{
    auto* app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return app ? app->display() : nullptr;
}

// Which modifier bit NumLock sits on (Mod2 on most layouts, but not all).
unsigned numLockMask(Display* display)
{
    unsigned mask = 0;
    const KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
    XModifierKeymap* map = XGetModifierMapping(display);
    if (!map)
        return 0;
    for (int modifier = 0; modifier < 8 && numLock != 0; ++modifier) {
        for (int k = 0; k < map->max_keypermod; ++k) {
            if (map->modifiermap[modifier * map->max_keypermod + k] == numLock)
                mask = 1u << modifier;
        }
    }
    XFreeModifiermap(map);
    return mask;
}

// A grab taken by another client is reported asynchronously as BadAccess; catch it instead of
// letting the default handler end the program.
bool g_grabFailed = false;
int onGrabError(Display*, XErrorEvent* error)
{
    if (error->error_code == BadAccess)
        g_grabFailed = true;
    return 0;
}
} // namespace

bool GlobalHotKey::registerAltF1()
{
    if (m_registered)
        return true;
    Display* display = x11Display();
    if (!display)
        return false; // not on X11 (Wayland, offscreen): no hot key
    m_keycode = XKeysymToKeycode(display, XK_F1);
    if (m_keycode == 0)
        return false;
    m_numLockMask = numLockMask(display);
    m_root = DefaultRootWindow(display);

    XSync(display, False);
    g_grabFailed = false;
    XErrorHandler previous = XSetErrorHandler(onGrabError);
    // The same combination with every state of NumLock and CapsLock.
    const unsigned locks[] = {0, LockMask, m_numLockMask, LockMask | m_numLockMask};
    for (unsigned lock : locks)
        XGrabKey(display, int(m_keycode), Mod1Mask | lock, m_root, False, GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    XSetErrorHandler(previous);

    if (g_grabFailed) {
        ungrab();
        return false;
    }
    m_registered = true;
    QCoreApplication::instance()->installNativeEventFilter(this);
    return true;
}

void GlobalHotKey::ungrab()
{
    Display* display = x11Display();
    if (!display || m_keycode == 0)
        return;
    const unsigned locks[] = {0, LockMask, m_numLockMask, LockMask | m_numLockMask};
    for (unsigned lock : locks)
        XUngrabKey(display, int(m_keycode), Mod1Mask | lock, m_root);
    XFlush(display);
}

bool GlobalHotKey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
        return false;
    const auto* key = static_cast<const xcb_key_press_event_t*>(message);
    if (key->detail != m_keycode || key->event != m_root)
        return false;
    // Alt exactly: NumLock and CapsLock are ignored, any other modifier spoils it.
    const unsigned relevant = ShiftMask | ControlMask | Mod1Mask | Mod3Mask | Mod4Mask | Mod5Mask;
    if ((key->state & relevant & ~m_numLockMask) != Mod1Mask)
        return false;
    Q_EMIT activated();
    return true;
}
