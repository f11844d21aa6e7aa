#include "services/update_service.h"

#include "localization/localization_manager.h"
#include "notifications/notification_helper.h"
#include "services/update_user_driver.h"
#include "services/updater_controller.h"

UpdateService::UpdateService(NotificationHelper& notifications, LocalizationManager& l10n,
                             SettingsSource settings, UpdateUserDriver::FocusProbe immediateFocus,
                             QObject* parent)
    : QObject(parent),
      notifications_(notifications),
      l10n_(l10n),
      settings_(std::move(settings)),
      immediateFocus_(std::move(immediateFocus))
{
    // A click on the notice shows the update it announced.
    connect(&notifications_, &NotificationHelper::activated, this,
            [this](const QString& identifier, const QString&, const QString&) {
                if (identifier == notificationIdentifier && controller_)
                    controller_->userDriver().showPendingUpdate();
            });
}

UpdateService::~UpdateService() = default;

UpdateService& UpdateService::shared()
{
    static auto* instance = new UpdateService(NotificationHelper::shared(), LocalizationManager::shared());
    return *instance;
}

UpdaterController* UpdateService::controller()
{
    if (!controller_)
        controller_ = std::make_unique<UpdaterController>(true, this, settings_(), l10n_, immediateFocus_);
    return controller_.get();
}

bool UpdateService::standardUserDriverShouldHandleShowingScheduledUpdate(const AppcastItem& update,
                                                                         bool immediateFocus)
{
    if (immediateFocus)
        return true;
    postUpdateNotification(update.displayVersionString);
    return false;
}

void UpdateService::postUpdateNotification(const QString& version)
{
    // Follows the system's language, not the one chosen inside Lumora.
    NotificationRequest request;
    request.identifier = notificationIdentifier;
    request.title = l10n_.systemLocalized(QStringLiteral("notify.updateTitle"));
    request.body = l10n_.systemLocalized(QStringLiteral("notify.updateBody")).arg(version);
    request.sound = false;
    notifications_.post(request);
}
