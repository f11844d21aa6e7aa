#pragma once

class QKeyEvent;
class QWidget;

// The main menu's shortcuts live on the main window and only fire while it
// is the active window. Secondary windows and the settings popup pass the
// keys they do not use to it, so Ctrl+Q, Ctrl+, and the rest work from
// every window of the application.
namespace shortcutrelay {

// Triggers the enabled window action of another top-level window whose
// shortcut is the key of `event`; true when one was found.
bool relay(const QKeyEvent* event, const QWidget* from);

}  // namespace shortcutrelay
