#pragma once

#include "platform/login_item.h"

#include <QDBusConnection>
#include <QVariantMap>

// The login item through the desktop's Background portal, for a sandboxed
// Lumora that cannot write its own autostart entry.
class PortalAutostart final : public LoginItem {
    Q_OBJECT
public:
    static constexpr int callTimeoutMs = 5000;
    // How long the user may take to answer the desktop's question.
    static constexpr int answerTimeoutMs = 120'000;

    explicit PortalAutostart(QDBusConnection bus, QObject* parent = nullptr);

    void setRegistered(bool on, Done done) override;

private:
    QDBusConnection bus_;
    int requests_ = 0;
};
