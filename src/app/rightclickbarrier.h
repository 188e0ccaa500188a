#pragma once

#include "platform/nativerightclickfilter.h"

#include <QObject>
#include <QPointer>

class QWidget;

// Watches every event of the program (installed on the application) and drops right mouse
// button presses, releases and context menu requests aimed at a widget inside one area, so
// nothing inside it, an embedded page included, ever opens a context menu. Native windows inside
// the area that are not Qt widgets (the Windows page control's) are covered by NativeRightClickFilter.
class RightClickBarrier final : public QObject {
    Q_OBJECT
public:
    RightClickBarrier(QWidget* area, QObject* parent);
    ~RightClickBarrier() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_area;
    NativeRightClickFilter m_nativeRightClicks;
};
