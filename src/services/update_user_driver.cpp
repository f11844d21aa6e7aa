#include "services/update_user_driver.h"

#include "localization/localization_manager.h"
#include "services/update_user_driver_delegate.h"
#include "services/update_window.h"

#include <QGuiApplication>

using Kind = UpdateCheckResult::Kind;

UpdateUserDriver::UpdateUserDriver(LocalizationManager& l10n, UpdateUserDriverDelegate* delegate,
                                   FocusProbe immediateFocus, QObject* parent)
    : QObject(parent), l10n_(l10n), delegate_(delegate), immediateFocus_(std::move(immediateFocus))
{
    if (!immediateFocus_) {
        immediateFocus_ = [] { return QGuiApplication::applicationState() == Qt::ApplicationActive; };
    }
    // An open window follows a change of language, once the change is made.
    connect(&l10n_, &LocalizationManager::objectWillChange, this, [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (window_ && window_->isVisible())
                    render();
            },
            Qt::QueuedConnection);
    });
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive)
                applicationBecameActive();
        });
    }
}

UpdateUserDriver::~UpdateUserDriver() = default;

QString UpdateUserDriver::localized(const char* key) const
{
    return l10n_.localized(QString::fromLatin1(key));
}

void UpdateUserDriver::show(const UpdateCheckResult& result)
{
    if (result.userInitiated) {
        switch (result.kind) {
        case Kind::updateFound:
            pending_.reset();
            showUpdate(result.update, true);
            return;
        case Kind::upToDate:
            showMessage("update.upToDate");
            return;
        case Kind::failed:
            showMessage("update.failed");
            return;
        case Kind::notConfigured:
            showMessage("update.notConfigured");
            return;
        }
        return;
    }
    // Scheduled: only a release is worth interrupting for.
    if (result.kind != Kind::updateFound)
        return;
    const bool focus = immediateFocus_();
    if (delegate_ && !delegate_->standardUserDriverShouldHandleShowingScheduledUpdate(result.update, focus)) {
        pending_ = result.update;
        return;
    }
    const bool gentle = delegate_ && delegate_->supportsGentleScheduledUpdateReminders();
    showUpdate(result.update, focus || !gentle);
}

void UpdateUserDriver::applicationBecameActive()
{
    if (delegate_ && delegate_->supportsGentleScheduledUpdateReminders())
        showPendingUpdate();
}

bool UpdateUserDriver::showPendingUpdate()
{
    if (!pending_)
        return false;
    const AppcastItem update = *std::exchange(pending_, std::nullopt);
    showUpdate(update, true);
    return true;
}

UpdateWindow& UpdateUserDriver::ensureWindow()
{
    if (!window_)
        window_ = std::make_unique<UpdateWindow>();
    return *window_;
}

void UpdateUserDriver::showUpdate(const AppcastItem& update, bool activate)
{
    shownUpdate_ = update;
    shownMessage_ = nullptr;
    render();
    window_->present(activate);
}

void UpdateUserDriver::showMessage(const char* key)
{
    shownUpdate_.reset();
    shownMessage_ = key;
    render();
    window_->present(true);
}

void UpdateUserDriver::render()
{
    UpdateWindow& w = ensureWindow();
    w.setWindowTitle(localized("update.windowTitle"));
    if (shownUpdate_) {
        QString notes = shownUpdate_->releaseNotes;
        if (notes.isEmpty())
            notes = localized("update.noNotes");
        w.showUpdate(localized("update.available").arg(shownUpdate_->displayVersionString), notes,
                     shownUpdate_->downloadLink, localized("update.download"), localized("update.later"));
    } else if (shownMessage_) {
        w.showMessage(localized(shownMessage_), localized("update.ok"));
    }
}
