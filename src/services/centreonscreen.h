#pragma once

#include <QSize>

class QWidget;

// Moves a window so that its centre lies on the centre of the primary screen's free area (nothing
// happens without a screen).
void centreOnPrimaryScreen(QWidget* window);

// Sizes a window so that its outer size, frame and title bar included, is `outer`. The frame is
// known once the native window exists (made here): at once on Windows, on X11 when the window manager
// has framed a shown window, so a window calls this again when it is first shown.
void resizeOuter(QWidget* window, QSize outer);
