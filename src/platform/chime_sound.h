#pragma once

#include "platform/alarm_sound.h"

#include <QObject>
#include <memory>

class QSoundEffect;

// Our chime through Qt Multimedia; the system beep where no audio output
// can play it (no sound server, no device, a decoding error).
class ChimeSound final : public QObject, public AlarmSound {
    Q_OBJECT
public:
    explicit ChimeSound(QObject* parent = nullptr);
    ~ChimeSound() override;

    static constexpr int loadDelayMs = 400;

    void play() override;
    // Whether the next play() will beep instead of chiming.
    bool usesBeep();

private:
    void load();

    QSoundEffect* effect_ = nullptr;
    bool loaded_ = false;
};
