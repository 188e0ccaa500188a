#include "platform/nativerightclickfilter.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

#include <windows.h>

class NativeRightClickFilter::Filter final : public QAbstractNativeEventFilter {
public:
    explicit Filter(QWidget* area) : m_area(area) {}

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "windows_generic_MSG")
            return false;
        const auto* msg = static_cast<const MSG*>(message);
        switch (msg->message) {
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_RBUTTONDBLCLK:
            return isInsideArea(msg->hwnd);
        default:
            return false;
        }
    }

private:
    // Whether the window lies inside the area: a window of the area's own top-level window whose
    // nearest Qt widget (itself or a parent window) is the area or inside it.
    bool isInsideArea(HWND window) const
    {
        if (!m_area)
            return false;
        const auto top = reinterpret_cast<HWND>(m_area->window()->internalWinId());
        if (!top || !IsChild(top, window))
            return false;
        for (HWND native = window; native && native != top; native = GetParent(native)) {
            if (QWidget* widget = QWidget::find(reinterpret_cast<WId>(native)))
                return widget == m_area || m_area->isAncestorOf(widget);
        }
        return false;
    }

    QPointer<QWidget> m_area;
};

NativeRightClickFilter::NativeRightClickFilter(QWidget* area) : m_filter(std::make_unique<Filter>(area))
{
    QCoreApplication::instance()->installNativeEventFilter(m_filter.get());
}

NativeRightClickFilter::~NativeRightClickFilter() = default; // the filter removes itself
