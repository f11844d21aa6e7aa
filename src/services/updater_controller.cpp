#include "services/updater_controller.h"

#include "services/updater.h"

UpdaterController::UpdaterController(bool startingUpdater, UpdateUserDriverDelegate* userDriverDelegate,
                                     UpdaterSettings settings, LocalizationManager& l10n,
                                     UpdateUserDriver::FocusProbe immediateFocus, QObject* parent)
    : QObject(parent),
      updater_(std::make_unique<Updater>(std::move(settings))),
      userDriver_(std::make_unique<UpdateUserDriver>(l10n, userDriverDelegate, std::move(immediateFocus)))
{
    connect(updater_.get(), &Updater::checkFinished, userDriver_.get(), &UpdateUserDriver::show);
    if (startingUpdater)
        startUpdater();
}

UpdaterController::~UpdaterController() = default;

void UpdaterController::startUpdater()
{
    updater_->startUpdater();
}
