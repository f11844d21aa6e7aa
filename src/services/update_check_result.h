#pragma once

#include "services/appcast.h"

// What one check came to.
struct UpdateCheckResult {
    enum class Kind { updateFound, upToDate, failed, notConfigured };
    enum class Failure { none, insecureAddress, certificate, network, timeout, httpStatus, tooLarge, badFeed };

    Kind kind = Kind::failed;
    Failure failure = Failure::none;
    bool userInitiated = false;
    AppcastItem update;  // the newest release when kind is updateFound
};
