#include "localization/app_language.h"

QString rawValue(AppLanguage language)
{
    switch (language) {
    case AppLanguage::system: return QStringLiteral("system");
    case AppLanguage::chinese: return QStringLiteral("chinese");
    case AppLanguage::english: return QStringLiteral("english");
    }
    return {};
}

std::optional<AppLanguage> appLanguageFromRaw(const QString& raw)
{
    for (AppLanguage l : allAppLanguages) {
        if (rawValue(l) == raw)
            return l;
    }
    return std::nullopt;
}

QString labelKey(AppLanguage language)
{
    return QStringLiteral("lang.") + rawValue(language);
}

QString languageCode(AppLanguage language)
{
    switch (language) {
    case AppLanguage::system: return {};
    case AppLanguage::chinese: return QStringLiteral("zh-Hans");
    case AppLanguage::english: return QStringLiteral("en");
    }
    return {};
}
