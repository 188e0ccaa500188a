#pragma once

#include <QByteArray>

#include <functional>

class QWidget;

// The main window's portal buttons: the TV page in the default browser, and a new music or MV
// window each click (open ones are not reused). A portal's mini mode hides the main window while
// it is on and shows it again when it ends.
namespace PortalCommands {

// Opens the TV page the settings choose; the built-in page is counted through `countUse`.
void openTv(const std::function<void(const QByteArray& path)>& countUse);
void openMusic(QWidget* mainWindow);
void openMv(QWidget* mainWindow);

} // namespace PortalCommands
