#include "timer/timer_types.h"

namespace {
template <typename E, std::size_t N>
std::optional<E> fromRaw(const std::array<E, N>& all, const QString& raw)
{
    for (E e : all) {
        if (rawValue(e) == raw)
            return e;
    }
    return std::nullopt;
}
}  // namespace

QString rawValue(TimerMode mode)
{
    switch (mode) {
    case TimerMode::preset: return QStringLiteral("preset");
    case TimerMode::custom: return QStringLiteral("custom");
    case TimerMode::targetTime: return QStringLiteral("targetTime");
    }
    return {};
}

QString rawValue(NotificationType type)
{
    switch (type) {
    case NotificationType::desktop: return QStringLiteral("desktop");
    case NotificationType::system: return QStringLiteral("system");
    case NotificationType::both: return QStringLiteral("both");
    }
    return {};
}

QString rawValue(AppTheme theme)
{
    switch (theme) {
    case AppTheme::light: return QStringLiteral("light");
    case AppTheme::dark: return QStringLiteral("dark");
    case AppTheme::system: return QStringLiteral("system");
    }
    return {};
}

std::optional<TimerMode> timerModeFromRaw(const QString& raw)
{
    return fromRaw(allTimerModes, raw);
}

std::optional<NotificationType> notificationTypeFromRaw(const QString& raw)
{
    return fromRaw(allNotificationTypes, raw);
}

std::optional<AppTheme> appThemeFromRaw(const QString& raw)
{
    return fromRaw(allAppThemes, raw);
}

QString labelKey(TimerMode mode)
{
    return QStringLiteral("mode.") + rawValue(mode);
}

QString labelKey(NotificationType type)
{
    return QStringLiteral("notify.") + rawValue(type);
}

QString descriptionKey(NotificationType type)
{
    return labelKey(type) + QStringLiteral(".desc");
}

QString symbolName(NotificationType type)
{
    switch (type) {
    case NotificationType::desktop: return QStringLiteral("display");
    case NotificationType::system: return QStringLiteral("bell.badge");
    case NotificationType::both: return QStringLiteral("bell.and.waveform");
    }
    return {};
}

QString labelKey(AppTheme theme)
{
    return QStringLiteral("theme.") + rawValue(theme);
}

QString symbolName(AppTheme theme)
{
    switch (theme) {
    case AppTheme::light: return QStringLiteral("sun.max");
    case AppTheme::dark: return QStringLiteral("moon");
    case AppTheme::system: return QStringLiteral("circle.lefthalf.filled");
    }
    return {};
}
