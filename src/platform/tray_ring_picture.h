#pragma once

#include "platform/tray_backend.h"

#include <QImage>

// The small ring the tray shows: the remaining part of the countdown as an
// arc, in as many steps as a panel icon can tell apart. Two pictures that
// compare equal draw the same pixels, so a backend sends a new icon only
// when the picture changes.
struct TrayRingPicture {
    static constexpr int steps = 32;

    TrayState state = TrayState::idle;
    int filledSteps = steps;

    static TrayRingPicture of(TrayState state, double remainingFraction);
    QImage render(int size) const;

    friend bool operator==(const TrayRingPicture&, const TrayRingPicture&) = default;
};
