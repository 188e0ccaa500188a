#include "platform/guard.h"

#include <QLoggingCategory>

#include <exception>

bool runGuarded(const QLoggingCategory& category, const char* what, const std::function<void()>& step)
{
    try {
        step();
        return true;
    } catch (const std::exception& failure) {
        qCInfo(category).nospace() << what << " broke off: " << failure.what();
    } catch (...) {
        qCInfo(category).nospace() << what << " broke off: a failure that is no std::exception";
    }
    return false;
}
