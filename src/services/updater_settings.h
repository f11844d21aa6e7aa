#pragma once

#include <QString>
#include <QUrl>
#include <chrono>

class Clock;
class DefaultsStore;

// How the updater is set up. The build gives the feed address and the
// version; the tests shorten the times and point it at a loopback server.
struct UpdaterSettings {
    QUrl feedUrl;  // empty: this build checks for nothing
    QString currentVersion;
    std::chrono::milliseconds checkInterval = std::chrono::hours(24);
    // A launch is never slowed by a check; the first one waits this long.
    std::chrono::milliseconds firstCheckDelay = std::chrono::seconds(30);
    // The schedule is re-read from the wall clock this often, so a day that
    // passes in suspend still ends in a check soon after resume.
    std::chrono::milliseconds recheckInterval = std::chrono::hours(1);
    std::chrono::milliseconds timeout = std::chrono::seconds(30);
    qint64 maxFeedBytes = 2 * 1024 * 1024;
    bool allowLoopbackHttp = false;  // tests only
    DefaultsStore* store = nullptr;  // DefaultsStore::shared() when empty
    Clock* clock = nullptr;          // Clock::system() when empty

    // The feed and version this build was made with.
    static UpdaterSettings fromBuild();
};
