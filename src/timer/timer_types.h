#pragma once

#include <QString>
#include <array>
#include <optional>

// The three closed sets that configure a countdown. Raw values are the case
// names; making a case from text is an exact, case-sensitive match.

enum class TimerMode { preset, custom, targetTime };
enum class NotificationType { desktop, system, both };
enum class AppTheme { light, dark, system };

inline constexpr std::array<TimerMode, 3> allTimerModes{TimerMode::preset, TimerMode::custom,
                                                        TimerMode::targetTime};
inline constexpr std::array<NotificationType, 3> allNotificationTypes{
    NotificationType::desktop, NotificationType::system, NotificationType::both};
inline constexpr std::array<AppTheme, 3> allAppThemes{AppTheme::light, AppTheme::dark,
                                                      AppTheme::system};

QString rawValue(TimerMode mode);
QString rawValue(NotificationType type);
QString rawValue(AppTheme theme);

std::optional<TimerMode> timerModeFromRaw(const QString& raw);
std::optional<NotificationType> notificationTypeFromRaw(const QString& raw);
std::optional<AppTheme> appThemeFromRaw(const QString& raw);

// Localization keys and the symbol each case is drawn with.
QString labelKey(TimerMode mode);
QString labelKey(NotificationType type);
QString descriptionKey(NotificationType type);
QString symbolName(NotificationType type);
QString labelKey(AppTheme theme);
QString symbolName(AppTheme theme);

struct Preset {
    QString label;
    qint64 minutes;
};
