#pragma once

#include "services/update_check_result.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

class LocalizationManager;
class UpdateUserDriverDelegate;
class UpdateWindow;

// Brings the updater's findings to the user: the update window for a
// release, one sentence for a manual check that found nothing or failed.
// Scheduled checks are silent unless they find a release.
class UpdateUserDriver final : public QObject {
    Q_OBJECT
public:
    using FocusProbe = std::function<bool()>;

    UpdateUserDriver(LocalizationManager& l10n, UpdateUserDriverDelegate* delegate,
                     FocusProbe immediateFocus = {}, QObject* parent = nullptr);
    ~UpdateUserDriver() override;

    void show(const UpdateCheckResult& result);

    // The window, once something was shown.
    UpdateWindow* window() const { return window_.get(); }
    // A scheduled finding the delegate held back.
    std::optional<AppcastItem> pendingUpdate() const { return pending_; }

    // The user turned to Lumora: with gentle reminders a held-back update
    // is shown now.
    void applicationBecameActive();
    // Shows the held-back update, if there is one (a click on its notice).
    bool showPendingUpdate();

private:
    void showUpdate(const AppcastItem& update, bool activate);
    void showMessage(const char* key);
    // Puts what the window shows into it in the current language.
    void render();
    UpdateWindow& ensureWindow();
    QString localized(const char* key) const;

    LocalizationManager& l10n_;
    UpdateUserDriverDelegate* delegate_;
    FocusProbe immediateFocus_;
    std::unique_ptr<UpdateWindow> window_;
    std::optional<AppcastItem> pending_;
    // What the window shows: a release, or the key of its one sentence.
    std::optional<AppcastItem> shownUpdate_;
    const char* shownMessage_ = nullptr;
};
