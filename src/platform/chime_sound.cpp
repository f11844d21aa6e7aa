#include "platform/chime_sound.h"

#include <QApplication>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>

ChimeSound::ChimeSound(QObject* parent) : QObject(parent)
{
    // Opening the audio system takes a while; do it once the window is up,
    // not on the way to the first frame.
    QTimer::singleShot(loadDelayMs, this, &ChimeSound::load);
}

void ChimeSound::load()
{
    if (loaded_)
        return;
    loaded_ = true;
    // Without any output the effect could only fail; skip loading it.
    if (QMediaDevices::audioOutputs().isEmpty())
        return;
    effect_ = new QSoundEffect(this);
    effect_->setSource(QUrl(QStringLiteral("qrc:/sounds/chime.wav")));
    effect_->setVolume(0.9f);
}

ChimeSound::~ChimeSound() = default;

bool ChimeSound::usesBeep()
{
    load();
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
