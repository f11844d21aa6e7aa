#pragma once

class QWidget;

namespace x11motif {

// Takes resizing out of the window-manager hints of a fixed-size window on
// X11 (elsewhere it does nothing). Qt always offers it there, whatever the
// window's size limits; window managers that read these hints would then
// show a resize handle and menu entry that cannot work. Call once the
// native window exists; Qt writes the hints anew when the flags change.
void dropResize(QWidget* window);

}  // namespace x11motif
