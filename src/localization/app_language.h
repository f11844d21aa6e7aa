#pragma once

#include <QString>
#include <array>
#include <optional>

// The interface language: pinned to Chinese or English, or left to the system.
enum class AppLanguage { system, chinese, english };

inline constexpr std::array<AppLanguage, 3> allAppLanguages{
    AppLanguage::system, AppLanguage::chinese, AppLanguage::english};

QString rawValue(AppLanguage language);
std::optional<AppLanguage> appLanguageFromRaw(const QString& raw);
QString labelKey(AppLanguage language);
// "zh-Hans" or "en"; empty for system.
QString languageCode(AppLanguage language);
