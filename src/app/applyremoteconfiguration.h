#pragma once

#include "update/checkforupdate.h"

#include <QString>

#include <functional>

// What applying the settings document does to the program around it; the main window provides it.
struct RemoteConfigurationHooks {
    UpdateCheckHooks update;
    std::function<void(const QString& word)> presetKeywordBox;
    std::function<void()> showAdvertisement;
};

// Applies the record read from the settings document: version check, keyword-box word, advertisement,
// in this order. None of them can fail as a whole: each treats a missing or malformed value of the
// record as a quiet case of its own. When the version check opens the update window,
// the word and the advertisement follow once that window has been closed; this returns at once all
// the same.
void ApplyRemoteConfiguration(const RemoteConfigurationHooks& hooks);
