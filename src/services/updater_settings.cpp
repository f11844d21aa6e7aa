#include "services/updater_settings.h"

#include "build_config.h"

UpdaterSettings UpdaterSettings::fromBuild()
{
    UpdaterSettings s;
    const QString feed = QString::fromUtf8(lumora::build::kUpdateFeed).trimmed();
    if (!feed.isEmpty())
        s.feedUrl = QUrl(feed, QUrl::StrictMode);
    s.currentVersion = QString::fromUtf8(lumora::build::kVersion);
    return s;
}
