#include "platform/chime_sound.h"

#include <QApplication>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>

ChimeSound::ChimeSound(QObject* parent) : QObject(parent)
{
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
