#pragma once

#include "platform/tray_backend.h"
#include "platform/tray_ring_picture.h"

#include <QSystemTrayIcon>
#include <optional>

// The tray item through QSystemTrayIcon: the ring picture as its icon and the
// title as its tooltip. Icons travel to the panel over D-Bus or X11, so a new
// one is made only when the picture changes, never on every tick.
class SystemTrayBackend final : public TrayBackend {
    Q_OBJECT
public:
    explicit SystemTrayBackend(QObject* parent = nullptr);

    bool isAvailable() const override;
    void show() override;
    void setTitle(const QString& title) override;
    void setProgress(TrayState state, double remainingFraction) override;
    void setMenu(QMenu* menu) override;

    // For tests: what is shown and how often a new icon was made.
    const QSystemTrayIcon& trayIcon() const { return tray_; }
    TrayRingPicture picture() const { return picture_.value_or(TrayRingPicture{}); }
    int iconUpdates() const { return iconUpdates_; }

private:
    QSystemTrayIcon tray_;
    std::optional<TrayRingPicture> picture_;
    int iconUpdates_ = 0;
};
