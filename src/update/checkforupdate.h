#pragma once

// The version check run after the settings document has been read: compares the announced version
// with the built-in one, reports the outcome in the main window's status bar and, for another
// version, shows the update window modally (returns once it has been closed).
void CheckForUpdate();
