#pragma once

#include "services/appcast.h"

// Decides, for the user driver, how an update found on schedule is brought
// to the user.
class UpdateUserDriverDelegate {
public:
    virtual ~UpdateUserDriverDelegate() = default;

    // True: a scheduled update never takes the focus; one held back is shown
    // when the user next turns to Lumora.
    virtual bool supportsGentleScheduledUpdateReminders() const = 0;

    // Asked for an update a scheduled check found. False: the driver does
    // not show its window now and keeps the update for later.
    virtual bool standardUserDriverShouldHandleShowingScheduledUpdate(const AppcastItem& update,
                                                                      bool immediateFocus) = 0;
};
