#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

// A system-wide hot key (Alt+F1 for the main window). On X11 a key grab on the root window,
// on Windows RegisterHotKey. Only the exact modifiers count; NumLock and CapsLock do not matter.
// Where no grab is possible (Wayland, a key taken by another program) it silently does nothing.
class GlobalHotKey final : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit GlobalHotKey(QObject* parent = nullptr);
    ~GlobalHotKey() override;

    // Registers Alt+F1. Returns whether the registration took; callers ignore it.
    bool registerAltF1();
    bool isRegistered() const { return m_registered; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

Q_SIGNALS:
    void activated();

private:
    void ungrab();

    bool m_registered = false;
    unsigned m_keycode = 0;
    unsigned m_numLockMask = 0;
    unsigned long m_root = 0;
};
