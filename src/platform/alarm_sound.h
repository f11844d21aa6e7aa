#pragma once

// Plays the alarm once. Implementations never block the caller.
class AlarmSound {
public:
    virtual ~AlarmSound() = default;
    virtual void play() = 0;
};
