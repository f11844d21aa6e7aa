#pragma once

#include "platform/alarm_sound.h"

#include <QObject>

class QSoundEffect;

// Our chime through Qt Multimedia; the system beep where no audio output
// can play it (no sound server, no device, a decoding error). It lives in
// the module lumora-chime, which LazyChimeSound loads after start-up.
class ChimeSound final : public QObject, public AlarmSound {
    Q_OBJECT
public:
    // Opens the audio system: takes a while, so not on the way to the first frame.
    explicit ChimeSound(QObject* parent = nullptr);
    ~ChimeSound() override;

    void play() override;

    // What the sound server shows for the alarm's stream: our name and icon,
    // and the role that tells sound policies it is an alert.
    static constexpr char streamProperties[] =
        "application.name='Lumora' application.icon_name='org.lumora.Lumora' media.role='event'";

private:
    bool usesBeep() const;

    QSoundEffect* effect_ = nullptr;
};

// The module's one entry point: a chime owned by `parent`.
extern "C" Q_DECL_EXPORT AlarmSound* lumora_chime_create(QObject* parent);
