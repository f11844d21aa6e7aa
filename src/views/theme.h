#pragma once

#include "timer/timer_types.h"

#include <QObject>
#include <QPalette>

class Appearance;

// Lumora's own light and dark looks; every view draws only with these roles.
QPalette lightPalette();
QPalette darkPalette();

// The appearance every window of the application has: light, dark, or the
// desktop's preference, followed live. Applying restyles all windows at once
// through the application palette.
class Theme final : public QObject {
    Q_OBJECT
public:
    // `appearance` (may be null) tells the desktop's preference; without an
    // answer from it the lightness of the platform's own palette decides.
    explicit Theme(Appearance* appearance, QObject* parent = nullptr);

    // On the desktop's settings portal over the session bus.
    static Theme& shared();

    void apply(AppTheme theme);
    // From now on the desktop's changes of preference are followed.
    void followDesktop();
    AppTheme theme() const { return theme_; }
    // Whether the dark look is in force now.
    bool isDark() const { return dark_; }

Q_SIGNALS:
    void restyled(bool dark);

private:
    bool wantsDark() const;
    void restyle();

    Appearance* appearance_;
    QPalette platform_;
    AppTheme theme_ = AppTheme::system;
    bool applied_ = false;
    bool dark_ = false;
};
