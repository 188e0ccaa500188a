#include "app/guardedapplication.h"

#include "platform/logging.h"
#include "platform/messageboxes.h"
#include "services/sites.h"

#include <exception>

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    MessageBoxes::setApplicationTitle(Sites::applicationTitle());
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& failure) {
        reportUncaught(QString::fromUtf8(failure.what()), receiver, event);
    } catch (...) {
        reportUncaught(QStringLiteral("未知错误"), receiver, event);
    }
    return false;
}

void GuardedApplication::reportUncaught(const QString& text, QObject* receiver, const QEvent* event) const
{
    qCWarning(lcShell).nospace() << "uncaught error while " << receiver << " handled event " << event->type() << ": "
                                 << text;
    // The box runs an event loop of its own; a failure of the box itself must not leave here.
    try {
        MessageBoxes::error(nullptr, text);
    } catch (...) {
        qCWarning(lcShell) << "the error box could not be shown";
    }
}
