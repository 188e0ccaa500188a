#pragma once

#include "platform/httpclient.h"
#include "update/checkforupdate.h"

#include <QString>

#include <functional>
#include <optional>

class HttpCall;
class QObject;

// What applying the settings document does to the program around it; the main window provides it.
struct RemoteConfigurationHooks {
    UpdateCheckHooks update;
    std::function<void(const QString& word)> presetKeywordBox;
    std::function<void()> showAdvertisement;
};

// The document is a few kilobytes; a larger body fails the fetch and nothing is applied.
inline constexpr qint64 maxConfigDocumentBytes = 1024 * 1024;
// Less than one byte a second for 15 s, or a minute in all, ends the fetch.
inline constexpr HttpTimeLimits configDocumentTimeLimits{10000, 15, 60000};
// Tests shorten the limits of every fetch started afterwards; nullopt restores the defaults.
void setConfigDocumentTimeLimitsForTesting(std::optional<HttpTimeLimits> limits);

// Starts the one fetch of the settings document of the run and returns at once. When the document
// arrives it is read on the owner's thread; on success the record is filled as a whole and
// ApplyRemoteConfiguration runs. Every failure is silent (logged) and leaves the record empty. The
// returned request belongs to `owner` (destroying the owner gives it up) and deletes itself when done.
HttpCall* FetchRemoteConfiguration(QObject* owner, const RemoteConfigurationHooks& hooks);

// Version check, keyword-box word, advertisement, in this order; a failure in one of them ends the
// applying silently and skips the rest. When the version check opens the update window, the word and
// the advertisement follow once that window has been closed; this returns at once all the same.
void ApplyRemoteConfiguration(const RemoteConfigurationHooks& hooks);
