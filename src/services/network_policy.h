#pragma once

#include <QUrl>

// Which addresses Lumora talks to or hands to the browser: HTTPS only.
// Plain HTTP is accepted for the loopback address alone, and only where the
// caller asks for it (the test servers).
namespace NetworkPolicy {

bool isLoopback(const QUrl& url);
bool isAllowed(const QUrl& url, bool allowLoopbackHttp);

}  // namespace NetworkPolicy
