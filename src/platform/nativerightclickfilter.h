#pragma once

#include <memory>

class QWidget;

// Drops the right mouse button messages the system sends to native windows inside an area. The
// windows of the Windows page control are not Qt widgets, so Qt's event filters never see a click
// on a page there; this filter sees the system's messages before they are handed out. Where every
// page window is a Qt widget (Qt WebEngine) it does nothing.
class NativeRightClickFilter final {
public:
    explicit NativeRightClickFilter(QWidget* area);
    ~NativeRightClickFilter();
    NativeRightClickFilter(const NativeRightClickFilter&) = delete;
    NativeRightClickFilter& operator=(const NativeRightClickFilter&) = delete;

private:
    class Filter;
    std::unique_ptr<Filter> m_filter;
};
