#pragma once

#include <functional>

class QLoggingCategory;

// The guard around work an event handler starts: runs `step`; a failure it raises ends it there and
// goes no further, logged under `category` (lcConfig(), say) as `what` with the failure's own text. True when the
// step ran to its end.
bool runGuarded(const QLoggingCategory& category, const char* what, const std::function<void()>& step);
