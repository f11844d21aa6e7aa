#pragma once

#include "platform/tray_backend.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QPointer>
#include <functional>
#include <memory>

// The tray the desktop offers, followed while Lumora runs: our own
// StatusNotifierItem when a watcher with a panel behind it is on the session
// bus, so the title shows beside the icon; otherwise the fallback
// (QSystemTrayIcon, which ends up in an X11 system tray). When a watcher or
// its panel appears later the item moves over to it.
// Once the StatusNotifierItem is in use it stays: a watcher that goes away is
// almost always a panel restarting, and the item registers again as soon as a
// watcher is back, where switching to QSystemTrayIcon would briefly show a
// second icon or none at all.
class DesktopTrayBackend final : public TrayBackend {
    Q_OBJECT
public:
    using Factory = std::function<std::unique_ptr<TrayBackend>()>;
    enum class Kind { undecided, statusNotifier, fallback };
    Q_ENUM(Kind)

    DesktopTrayBackend(QDBusConnection bus, Factory makeStatusNotifier, Factory makeFallback,
                       QObject* parent = nullptr);
    ~DesktopTrayBackend() override;

    // On the session bus, with QSystemTrayIcon as the fallback.
    static std::unique_ptr<TrayBackend> forSession();

    bool isAvailable() const override;
    void show() override;
    void setTitle(const QString& title) override;
    void setTitleGuide(const QString& guide) override;
    void setProgress(TrayState state, double remainingFraction) override;
    void setMenu(QMenu* menu) override;

    // Undecided until the first answer from the bus.
    Kind kind() const { return kind_; }

private Q_SLOTS:
    void hostRegistered();

private:
    void askWatcher();
    void use(Kind kind);

    QDBusConnection bus_;
    Factory makeStatusNotifier_;
    Factory makeFallback_;
    QDBusServiceWatcher watcher_;
    std::unique_ptr<TrayBackend> active_;
    Kind kind_ = Kind::undecided;

    // What the item shows, handed to each backend that takes over.
    bool shown_ = false;
    QString title_;
    QString guide_;
    bool hasProgress_ = false;
    TrayState state_ = TrayState::idle;
    double fraction_ = 1.0;
    QPointer<QMenu> menu_;
};
