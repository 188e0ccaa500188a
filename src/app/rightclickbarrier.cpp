#include "app/rightclickbarrier.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

RightClickBarrier::RightClickBarrier(QWidget* area, QObject* parent)
    : QObject(parent), m_area(area), m_nativeRightClicks(area)
{
    QCoreApplication::instance()->installEventFilter(this);
}

RightClickBarrier::~RightClickBarrier()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

bool RightClickBarrier::eventFilter(QObject* watched, QEvent* event)
{
    // Runs for every event of the program: the type test comes first and is all most events see.
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() != Qt::RightButton)
            return false;
        break;
    case QEvent::ContextMenu:
        break;
    default:
        return false;
    }
    if (!m_area || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    return widget == m_area || m_area->isAncestorOf(widget);
}
