#pragma once

#include <QLoggingCategory>

// One category per subsystem, quiet by default (debug and info off): failures the user is not told
// about are written here, so QT_LOGGING_RULES="quvo.*=true" shows what happened.
Q_DECLARE_LOGGING_CATEGORY(lcShell)   // quvo.shell: start-up, single instance, windows, hot key
Q_DECLARE_LOGGING_CATEGORY(lcSearch)  // quvo.search: keyword, page fetch, rows
Q_DECLARE_LOGGING_CATEGORY(lcPlay)    // quvo.play: play lines, Thunder, clipboard
Q_DECLARE_LOGGING_CATEGORY(lcPortals) // quvo.portals: TV, music and MV pages
Q_DECLARE_LOGGING_CATEGORY(lcConfig)  // quvo.config: settings document
Q_DECLARE_LOGGING_CATEGORY(lcUpdate)  // quvo.update: version check, download
Q_DECLARE_LOGGING_CATEGORY(lcLaunch)  // quvo.launch: starts of other programs, refused ones included
Q_DECLARE_LOGGING_CATEGORY(lcNet)     // quvo.net: HTTP requests
Q_DECLARE_LOGGING_CATEGORY(lcWeb)     // quvo.web: embedded browser and its module
