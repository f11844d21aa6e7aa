#pragma once

#include "services/update_check_result.h"
#include "services/updater_settings.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <memory>

class Clock;
class DefaultsStore;
class HttpReply;

// Reads the update feed on a daily schedule and on request. It never
// downloads or runs anything: it only tells what it found.
class Updater final : public QObject {
    Q_OBJECT
public:
    // The updater's own group in the settings file.
    static inline const QString lastCheckKey = QStringLiteral("Updater/lastCheckTime");

    explicit Updater(UpdaterSettings settings, QObject* parent = nullptr);
    ~Updater() override;

    // Begins the scheduled checks; does nothing without a feed address.
    void startUpdater();
    bool isStarted() const { return started_; }

    // A check the user asked for: its outcome is always shown.
    void checkForUpdates();
    // A scheduled check: only an update found is shown.
    void checkForUpdatesInBackground();

    bool isChecking() const { return reply_ != nullptr; }
    const UpdaterSettings& settings() const { return settings_; }

    // The newest usable release in `feed` above `currentVersion`, judged
    // by the same rules a check uses.
    static UpdateCheckResult evaluate(const QByteArray& feed, const UpdaterSettings& settings);

Q_SIGNALS:
    void checkStarted(bool userInitiated);
    void checkFinished(const UpdateCheckResult& result);

private:
    void scheduleNextCheck();
    void begin(bool userInitiated);
    void onReadyRead();
    void onFinished();
    void abortWith(UpdateCheckResult::Failure failure);
    void finish(UpdateCheckResult result);

    DefaultsStore& store() const;
    Clock& clock() const;

    UpdaterSettings settings_;
    QTimer scheduleTimer_;
    QTimer deadline_;
    std::unique_ptr<HttpReply> reply_;
    QByteArray received_;
    UpdateCheckResult::Failure abortReason_ = UpdateCheckResult::Failure::none;
    bool userInitiated_ = false;
    bool started_ = false;
};
