#include "platform/chime_sound.h"

#include <QApplication>
#include <QAudioDevice>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>

namespace {
// Whether a PulseAudio server (PipeWire's included) is there to talk to.
// Without one Qt's backend can only fail, and it says so on standard error.
bool soundServerReachable()
{
    if (!qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/pulse/native")))
        return true;
    // A system-wide server.
    return QFileInfo::exists(QStringLiteral("/run/pulse/native"));
}

// The sound server names and files our stream by the client's properties;
// Qt gives it only "QtPulseAudio:<pid>", so the mixer could not tell the
// alarm from any other sound. libpulse reads these when Qt connects.
void nameTheStream()
{
    QByteArray props = ChimeSound::streamProperties;
    const QByteArray own = qgetenv("PULSE_PROP_OVERRIDE");
    if (!own.isEmpty())
        props += ' ' + own;  // the user's own choices still win
    qputenv("PULSE_PROP_OVERRIDE", props);
}
}  // namespace

ChimeSound::ChimeSound(QObject* parent) : QObject(parent)
{
    if (!soundServerReachable())
        return;
    nameTheStream();
    // Without any output the effect could only fail; skip loading it.
    if (QMediaDevices::audioOutputs().isEmpty())
        return;
    effect_ = new QSoundEffect(this);
    effect_->setSource(QUrl(QStringLiteral("qrc:/sounds/chime.wav")));
    effect_->setVolume(0.9f);
}

ChimeSound::~ChimeSound() = default;

bool ChimeSound::usesBeep() const
{
    return !effect_ || effect_->status() == QSoundEffect::Error;
}

void ChimeSound::play()
{
    if (usesBeep()) {
        QApplication::beep();
        return;
    }
    effect_->play();
}

AlarmSound* lumora_chime_create(QObject* parent)
{
    return new ChimeSound(parent);
}
