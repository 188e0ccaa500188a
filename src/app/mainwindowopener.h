#pragma once

// Opens the main window once the declaration is accepted: creates it without an owner window,
// keeps it in Formmain, shows it, and destroys the declaration window.
void openMainWindow();

// Destroys every window that is still there; the program's last step after the message loop.
void destroyAllWindows();
