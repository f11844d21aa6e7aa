#pragma once

#include "localization/app_language.h"
#include "platform/published.h"

#include <QObject>
#include <QStringList>
#include <QTranslator>
#include <memory>

class DefaultsStore;

// Looks every text up by key in the chosen language and keeps the choice.
class LocalizationManager final : public QObject {
    Q_OBJECT
public:
    static inline const QString appLanguageKey = QStringLiteral("appLanguage");
    // Stands for the platform's per-application language list: it picks the
    // language of Qt's own texts at the next launch.
    static inline const QString appleLanguagesKey = QStringLiteral("AppleLanguages");

    // `systemLanguages` is the user's preferred list, as QLocale::uiLanguages
    // gives it; the system choice resolves against it once, here.
    explicit LocalizationManager(DefaultsStore& store,
                                 const QStringList& systemLanguages = defaultSystemLanguages(),
                                 QObject* parent = nullptr);
    ~LocalizationManager() override;

    static LocalizationManager& shared();
    static QStringList defaultSystemLanguages();
    // The table ("zh-Hans" or "en") that a list of preferred languages picks.
    static QString tableForLanguages(const QStringList& languages);

    Published<AppLanguage, LocalizationManager> current;

    // Assigns `current` (subscribers first), then stores and applies it.
    void setCurrent(AppLanguage language);

    // The text for `key` in the current language; the key itself when absent.
    QString localized(const QString& key, const QString& comment = {}) const;

    // The text for `key` in the system's language, whatever Lumora's own
    // choice; for notices that follow the desktop (the update notice).
    QString systemLocalized(const QString& key) const;

    // The table that `localized` reads now ("zh-Hans" or "en").
    QString effectiveCode() const;

Q_SIGNALS:
    void objectWillChange();

private:
    void apply();
    const QTranslator* tableFor(const QString& code) const;
    QString lookup(const QString& code, const QString& key) const;

    DefaultsStore& store_;
    QString systemCode_;
    std::unique_ptr<QTranslator> chinese_;
    std::unique_ptr<QTranslator> english_;
};
