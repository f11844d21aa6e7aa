#pragma once

#include <QString>

class QWidget;

// What assistive technology (through Qt's AT-SPI bridge) learns about the
// window beyond what Qt infers from widget classes: radio roles and checked
// states for choices, the ring as a progress bar, the ringing card as an
// alert, the windows as frames, and the settings popover as a dialog in the
// application's tree. The interfaces are installed before any widget exists.
namespace accessibility {

// Puts Lumora's interfaces ahead of Qt's; done before main and again before
// the window's widgets are made.
void install();

// Sets the accessible name only when it differs: every call announces a
// name change to a listening screen reader, wanted or not.
void setName(QWidget* widget, const QString& name);
void setDescription(QWidget* widget, const QString& description);

// The ring's progress-bar value for a fraction of the countdown: whole percent.
double percentOf(double fraction);

// The application's name as people see it (the desktop entry's Name).
QString displayName();

// A window's accessible name: its title with the application's name in the
// form people see it.
QString windowName(const QWidget* window);

}  // namespace accessibility
