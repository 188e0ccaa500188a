#pragma once

#include "update/downloadoptions.h"

#include <QString>

#include <functional>
#include <optional>

// Tests steer the update window's download through these instead of real dialogs and real-world
// time limits.
namespace DownloadSeams {

// Answers the save dialog: gets the proposed path, returns the chosen path or "" for Cancel.
using SaveDialogAnswer = std::function<QString(const QString& proposedPath)>;
void answerSaveDialogForTesting(SaveDialogAnswer answer); // empty: the real dialog again
const SaveDialogAnswer& saveDialogAnswer();

void setOptionsForTesting(std::optional<DownloadOptions> options); // nullopt: the defaults again
DownloadOptions options();

} // namespace DownloadSeams
