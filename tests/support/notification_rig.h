#pragma once

#include "notifications/notification_helper.h"
#include "support/notification_server.h"
#include "support/test_env.h"

// A private bus with a notification server on it and our helper as its client.
struct NotificationRig {
    explicit NotificationRig(QStringList capabilities = NotificationServer::defaultCapabilities())
        : server(bus.connect(QStringLiteral("server")), std::move(capabilities))
    {
    }

    PrivateBus bus;
    NotificationServer server;
    NotificationHelper helper{bus.connect(QStringLiteral("client"))};
};
