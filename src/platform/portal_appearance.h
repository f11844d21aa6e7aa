#pragma once

#include "platform/appearance.h"

#include <QDBusConnection>
#include <QDBusMessage>

// The colour scheme from the desktop's settings portal
// (org.freedesktop.appearance color-scheme). Read at creation,
// asynchronously; kept current from the portal's change signal once
// startFollowing() has subscribed to it, which reads it again so a change
// in between is not lost. Without a portal the scheme stays noPreference.
class PortalAppearance final : public Appearance {
    Q_OBJECT
public:
    static constexpr int callTimeoutMs = 3000;

    explicit PortalAppearance(QDBusConnection bus, QObject* parent = nullptr);

    ColorScheme colorScheme() const override { return scheme_; }
    void startFollowing() override;

    // The scheme a portal value stands for (0 none, 1 dark, 2 light).
    static ColorScheme fromPortalValue(const QVariant& value);

private Q_SLOTS:
    void onSettingChanged(const QDBusMessage& message);

private:
    void read();
    void setScheme(ColorScheme scheme);

    QDBusConnection bus_;
    ColorScheme scheme_ = ColorScheme::noPreference;
    bool changedSinceRead_ = false;
    bool following_ = false;
};
