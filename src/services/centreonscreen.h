#pragma once

class QWidget;

// Moves a window so that its centre lies on the centre of the primary screen's free area (nothing
// happens without a screen).
void CentreOnPrimaryScreen(QWidget* window);
