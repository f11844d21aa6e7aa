#include "services/network_policy.h"

#include <QHostAddress>

namespace NetworkPolicy {

bool isLoopback(const QUrl& url)
{
    const QString host = url.host();
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

bool isAllowed(const QUrl& url, bool allowLoopbackHttp)
{
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return true;
    return allowLoopbackHttp && scheme == QLatin1String("http") && isLoopback(url);
}

}  // namespace NetworkPolicy
