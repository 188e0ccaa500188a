#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QWidget;
class QDialog;

// Whether this build updates itself through the update window; a build that its package manager
// updates has no such window.
#ifdef QUVO_NO_SELF_UPDATE
inline constexpr bool selfUpdateBuilt = false;
#else
inline constexpr bool selfUpdateBuilt = true;
#endif

// What the version check does to the program around it; the main window provides it.
struct UpdateCheckHooks {
    QWidget* parent = nullptr;                                  // the update window's parent
    std::function<void(const QString& text)> showVersionStatus; // the status bar's version panel
    std::function<void(const QByteArray& path)> countCheck;     // the version check's counter browser
    std::function<void(const QByteArray& path)> countUse;       // the counter browser of other uses
    bool selfUpdate = selfUpdateBuilt; // false: a new version is announced, the package manager brings it
};

// The version check run after the settings document has been read: compares the announced version
// with the built-in one and reports the outcome through the hooks. For another version it creates
// the update window and shows it modally with open(), without waiting for it, and returns it (its
// `finished` signal tells when it has been closed); otherwise it returns null. Without self-update a
// new version is announced in a notice with the update note, and nothing is downloaded.
QDialog* CheckForUpdate(const UpdateCheckHooks& hooks);
