#pragma once

#include "platform/httpclient.h"
#include "platform/messageboxes.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

struct DownloadOptions;

// The one place where tests stand in for real dialogs, files, time limits and the program's end.
// Process-wide and empty in a normal run; an empty member keeps the real behaviour. A test sets the
// members it needs and empties them again when it is done.
struct TestHooks {
    MessageBoxes::Responder answerMessageBox; // answers instead of a real message box
    QString registryStorePath;                // the registry stand-in's file
    std::function<void()> endProgram;         // instead of ending the message loop
    std::optional<HttpTimeLimits> configDocumentLimits;
    std::optional<HttpTimeLimits> searchPageLimits;
    // Answers the update's save dialog: gets the proposed path, returns the chosen one or "" for Cancel.
    std::function<QString(const QString& proposedPath)> answerSaveDialog;
    std::shared_ptr<const DownloadOptions> downloadOptions; // the update window's download options
};

TestHooks& testHooks();
