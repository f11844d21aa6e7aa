// Language choice, its storage, lookup by key and the two string tables.
#include "localization/localization_keys.h"
#include "localization/localization_manager.h"
#include "platform/defaults_store.h"
#include "support/test_env.h"

#include <QRegularExpression>
#include <QTest>

class TestLocalization : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Both compiled tables answer every key, format texts with exactly one
    // %1. A choice is stored with the language list Qt's own texts follow,
    // and the next launch keeps it. The desktop's languages pick a table.
    void tablesAnswerEveryKeyAndChoicesAreKept()
    {
        TempConfigHome home;
        auto store = home.openStore();
        LocalizationManager l10n(*store, {QStringLiteral("en")});
        static const QRegularExpression placeholder(QStringLiteral("%\\d"));
        const std::pair<AppLanguage, QStringList> choices[] = {
            {AppLanguage::english, {"en"}}, {AppLanguage::system, {}}, {AppLanguage::chinese, {"zh-Hans"}}};
        for (const auto& [language, list] : choices) {
            l10n.setCurrent(language);
            QCOMPARE(home.openStore()->readStringList(LocalizationManager::appleLanguagesKey), list);
            QCOMPARE(LocalizationManager(*home.openStore(), {QStringLiteral("en")}).current.get(), language);
            for (const auto& k : localizationCatalogue) {
                const QString text = l10n.localized(QString::fromLatin1(k.key));
                QVERIFY2(text != QLatin1String(k.key) && !text.trimmed().isEmpty()
                             && text.count(placeholder) == (k.placeholder ? 1 : 0)
                             && (!k.placeholder || text.contains(QLatin1String("%1"))),
                         k.key);
            }
        }
        QCOMPARE(l10n.localized(QStringLiteral("ring.stop")), QStringLiteral("停止"));
        QCOMPARE(l10n.localized(QStringLiteral("no.such.key")), QStringLiteral("no.such.key"));

        const std::pair<QStringList, const char*> cases[] = {
            {{"zh-CN"}, "zh-Hans"}, {{"zh-Hans-CN"}, "zh-Hans"}, {{"en-GB"}, "en"},
            {{"de-DE", "zh"}, "zh-Hans"}, {{"fr-FR"}, "en"}, {{}, "en"}};
        for (const auto& [preferred, table] : cases)
            QCOMPARE(LocalizationManager::tableForLanguages(preferred), QString::fromLatin1(table));
    }

    // A launch on a Chinese desktop: what it makes of the stored choice, and
    // that a good one costs no write (the language is stored at every launch).
    void launchReadsTheStoredChoice()
    {
        const std::tuple<QByteArray, QString, QString, bool> rows[] = {
            {{}, "system", "重置", true},
            {"[General]\nappLanguage=English\n", "system", "重置", true},
            {"[General]\nAppleLanguages=en\nappLanguage=english\n", "english", "Reset", false},
            {"[General]\nappLanguage=system\n", "system", "重置", false}};
        for (const auto& [file, stored, reset, rewritten] : rows) {
            TempConfigHome home;
            if (!file.isEmpty())
                writeFile(home.settingsFile(), file);
            const quint64 before = fileIdentity(home.settingsFile());
            auto store = home.openStore();
            LocalizationManager l10n(*store, {QStringLiteral("zh-CN")});
            QCOMPARE(rawValue(l10n.current.get()), stored);
            QCOMPARE(l10n.localized(QStringLiteral("control.reset")), reset);
            QCOMPARE(fileIdentity(home.settingsFile()) != before, rewritten);
            QCOMPARE(home.openStore()->readString(LocalizationManager::appLanguageKey, {}), stored);
        }
    }
};

QTEST_GUILESS_MAIN(TestLocalization)
#include "test_localization.moc"
