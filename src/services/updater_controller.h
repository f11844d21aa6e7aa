#pragma once

#include "services/update_user_driver.h"
#include "services/updater_settings.h"

#include <QObject>
#include <memory>

class LocalizationManager;
class UpdateUserDriverDelegate;
class Updater;

// The updater with its user driver, made together; with `startingUpdater`
// the scheduled checks begin at once.
class UpdaterController final : public QObject {
    Q_OBJECT
public:
    // `immediateFocus` tells whether the user is with Lumora right now; the
    // application's active state when empty.
    UpdaterController(bool startingUpdater, UpdateUserDriverDelegate* userDriverDelegate,
                      UpdaterSettings settings, LocalizationManager& l10n,
                      UpdateUserDriver::FocusProbe immediateFocus = {}, QObject* parent = nullptr);
    ~UpdaterController() override;

    Updater& updater() const { return *updater_; }
    UpdateUserDriver& userDriver() const { return *userDriver_; }

    void startUpdater();

private:
    std::unique_ptr<Updater> updater_;
    std::unique_ptr<UpdateUserDriver> userDriver_;
};
