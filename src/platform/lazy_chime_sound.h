#pragma once

#include "platform/alarm_sound.h"

#include <QObject>
#include <QStringList>

// The alarm chime, from the module lumora-chime. Qt Multimedia and the
// libraries it brings take a noticeable part of start-up to load, so the
// module is loaded a moment after start (or at the first play, if sooner).
// Where it cannot be loaded the system beep stands in.
class LazyChimeSound final : public QObject, public AlarmSound {
    Q_OBJECT
public:
    // Looks beside the executable as installed, then in its own folder (the build tree).
    explicit LazyChimeSound(QObject* parent = nullptr);
    // Tries `modulePaths` in order.
    LazyChimeSound(QStringList modulePaths, QObject* parent = nullptr);
    ~LazyChimeSound() override;

    static constexpr int loadDelayMs = 400;
    static QStringList installedModulePaths();

    void play() override;
    // Whether the chime module is in use (loading it first if need be).
    bool hasChime();

private:
    void load();

    QStringList modulePaths_;
    AlarmSound* chime_ = nullptr;
    bool loaded_ = false;
};
