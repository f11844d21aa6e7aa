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
            showMessage(localized("update.upToDate"));
            return;
        case Kind::failed:
            showMessage(localized("update.failed"));
            return;
        case Kind::notConfigured:
            showMessage(localized("update.notConfigured"));
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
    window_->setWindowTitle(localized("update.windowTitle"));
    return *window_;
}

void UpdateUserDriver::showUpdate(const AppcastItem& update, bool activate)
{
    UpdateWindow& w = ensureWindow();
    QString notes = update.releaseNotes;
    if (notes.isEmpty())
        notes = localized("update.noNotes");
    w.showUpdate(localized("update.available").arg(update.displayVersionString), notes, update.downloadLink,
                 localized("update.download"), localized("update.later"));
    w.present(activate);
}

void UpdateUserDriver::showMessage(const QString& text)
{
    UpdateWindow& w = ensureWindow();
    w.showMessage(text, localized("update.ok"));
    w.present(true);
}
