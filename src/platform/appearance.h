#pragma once

#include <QObject>

// Which colour scheme the desktop asks applications to use.
enum class ColorScheme { noPreference, dark, light };

// The desktop's light/dark preference, followed live. The theme asks this
// when it is set to follow the system.
class Appearance : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual ColorScheme colorScheme() const = 0;
    // Starts following the desktop's changes; until then the scheme is the
    // one read at creation. Subscribing may wait on the bus, so the
    // application does it once its window is up.
    virtual void startFollowing() {}

Q_SIGNALS:
    void colorSchemeChanged(ColorScheme scheme);
};
