#include "platform/logging.h"

// QtWarningMsg as the lowest level enabled by default keeps debug and info quiet.
Q_LOGGING_CATEGORY(lcShell, "quvo.shell", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSearch, "quvo.search", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPlay, "quvo.play", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPortals, "quvo.portals", QtWarningMsg)
Q_LOGGING_CATEGORY(lcConfig, "quvo.config", QtWarningMsg)
Q_LOGGING_CATEGORY(lcUpdate, "quvo.update", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLaunch, "quvo.launch", QtWarningMsg)
Q_LOGGING_CATEGORY(lcNet, "quvo.net", QtWarningMsg)
Q_LOGGING_CATEGORY(lcWeb, "quvo.web", QtWarningMsg)
