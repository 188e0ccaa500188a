#pragma once

#include <QObject>

#include <functional>

class QWidget;

// A small event filter with one purpose, in place of a branch of a window's eventFilter: it sees the
// events of one object before the object does, and lives as long as that object. A window whose
// hooks call its own functions removes them in its destructor (removeAll): the hide and close events
// its widgets get while QWidget's destructor runs would otherwise reach a half-destroyed window.
class EventHook final : public QObject {
    Q_OBJECT
public:
    // `handler` returns true for an event it consumes.
    using Handler = std::function<bool(QEvent* event)>;
    static EventHook* install(QObject* watched, Handler handler);
    // Removes the hooks of `window` and of every object inside it.
    static void removeAll(QObject* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    EventHook(QObject* watched, Handler handler);
    Handler m_handler;
};

// Makes a control that has no click signal (a label, a picture) clickable: `action` runs when the
// left button is released over it; that release goes no further.
void onLeftClick(QWidget* control, std::function<void()> action);
