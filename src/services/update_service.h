#pragma once

#include "services/update_user_driver.h"
#include "services/update_user_driver_delegate.h"
#include "services/updater_settings.h"

#include <QObject>
#include <functional>
#include <memory>

class LocalizationManager;
class NotificationHelper;
class UpdaterController;

// Lumora's one contact with its updater. It makes the controller on first
// use and decides one thing: a release found on schedule while the user is
// elsewhere is announced by a quiet notification instead of a window.
class UpdateService final : public QObject, public UpdateUserDriverDelegate {
    Q_OBJECT
public:
    static inline const QString notificationIdentifier = QStringLiteral("lumora-update");

    using SettingsSource = std::function<UpdaterSettings()>;

    UpdateService(NotificationHelper& notifications, LocalizationManager& l10n,
                  SettingsSource settings = &UpdaterSettings::fromBuild,
                  UpdateUserDriver::FocusProbe immediateFocus = {}, QObject* parent = nullptr);
    ~UpdateService() override;

    static UpdateService& shared();

    // Made on first use with its scheduled checks started; kept for good.
    UpdaterController* controller();

    bool supportsGentleScheduledUpdateReminders() const override { return true; }
    bool standardUserDriverShouldHandleShowingScheduledUpdate(const AppcastItem& update,
                                                              bool immediateFocus) override;

private:
    void postUpdateNotification(const QString& version);

    NotificationHelper& notifications_;
    LocalizationManager& l10n_;
    SettingsSource settings_;
    UpdateUserDriver::FocusProbe immediateFocus_;
    std::unique_ptr<UpdaterController> controller_;
};
