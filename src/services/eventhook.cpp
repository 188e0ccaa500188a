#include "services/eventhook.h"

#include <QMouseEvent>
#include <QWidget>

EventHook::EventHook(QObject* watched, Handler handler) : QObject(watched), m_handler(std::move(handler))
{
    watched->installEventFilter(this);
}

EventHook* EventHook::install(QObject* watched, Handler handler)
{
    return new EventHook(watched, std::move(handler));
}

void EventHook::removeAll(QObject* window)
{
    qDeleteAll(window->findChildren<EventHook*>());
}

bool EventHook::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent() && m_handler(event))
        return true;
    return QObject::eventFilter(watched, event);
}

void onLeftClick(QWidget* control, std::function<void()> action)
{
    EventHook::install(control, [control, action = std::move(action)](QEvent* event) {
        if (event->type() != QEvent::MouseButtonRelease)
            return false;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || !control->rect().contains(mouse->position().toPoint()))
            return false;
        action();
        return true;
    });
}
