#include "platform/nativerightclickfilter.h"

// Qt WebEngine's page is a Qt widget: Qt's own event filters see its clicks.
class NativeRightClickFilter::Filter {};

NativeRightClickFilter::NativeRightClickFilter(QWidget*)
{
}

NativeRightClickFilter::~NativeRightClickFilter() = default;
