#pragma once

class QWidget;

namespace windowplacement {

// Moves `dialog` so it opens centred on the application's main window (the
// first ordinary window it made) while that is shown, else on the screen,
// inside the screen's available area. Without a window manager nobody else
// places it, and it would open at (0, 0).
void centreOnMainWindow(QWidget* dialog);

}  // namespace windowplacement
