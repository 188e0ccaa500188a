#pragma once

#include "platform/httpclient.h"

#include <functional>
#include <optional>

class HttpCall;
class QObject;

// The document is a few kilobytes; a larger body fails the fetch and nothing is applied.
inline constexpr qint64 maxConfigDocumentBytes = 1024 * 1024;
// Less than one byte a second for 15 s, or a minute in all, ends the fetch.
inline constexpr HttpTimeLimits configDocumentTimeLimits{
    .connect = std::chrono::seconds(10), .stall = std::chrono::seconds(15), .total = std::chrono::minutes(1)};
// (tests shorten them through TestHooks::configDocumentLimits)

// Starts the one fetch of the settings document of the run and returns at once. When the document
// arrives it is read on the owner's thread; on success the record is filled as a whole and `read`
// runs there (the program applies the document in it). Every failure is silent (logged) and leaves the
// record empty. The returned request belongs to `owner` (destroying the owner gives it up) and deletes
// itself when done.
HttpCall* FetchRemoteConfiguration(QObject* owner, std::function<void()> read);
