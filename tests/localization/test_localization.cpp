// Language choice, its storage, lookup by key and the two string tables.
#include "localization/localization_keys.h"
#include "localization/localization_manager.h"
#include "platform/defaults_store.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

class TestLocalization : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Both compiled tables answer every key, format texts with exactly one
    // %1; the desktop's languages pick a table.
    void tablesAnswerEveryKey()
    {
        TempConfigHome home;
        auto store = home.openStore();
        LocalizationManager l10n(*store, {QStringLiteral("en")});
        static const QRegularExpression placeholder(QStringLiteral("%\\d"));
        for (AppLanguage lang : {AppLanguage::english, AppLanguage::chinese}) {
            l10n.setCurrent(lang);
            for (const auto& k : localizationCatalogue) {
                const QString text = l10n.localized(QString::fromLatin1(k.key));
                QVERIFY2(text != QLatin1String(k.key) && !text.trimmed().isEmpty(), k.key);
                QVERIFY2(text.count(placeholder) == (k.placeholder ? 1 : 0), k.key);
                QVERIFY2(!k.placeholder || text.contains(QLatin1String("%1")), k.key);
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
        const struct {
            QByteArray file;
            const char* stored;
            const char* reset;
            bool rewritten;
        } rows[] = {{{}, "system", "重置", true},
                    {"[General]\nappLanguage=English\n", "system", "重置", true},
                    {"[General]\nAppleLanguages=en\nappLanguage=english\n", "english", "Reset", false},
                    {"[General]\nappLanguage=system\n", "system", "重置", false}};
        for (const auto& row : rows) {
            TempConfigHome home;
            if (!row.file.isEmpty()) {
                QDir().mkpath(home.path() + QStringLiteral("/lumora"));
                QFile f(home.settingsFile());
                QVERIFY(f.open(QIODevice::WriteOnly) && f.write(row.file) == row.file.size());
            }
            const quint64 before = fileIdentity(home.settingsFile());
            auto store = home.openStore();
            LocalizationManager l10n(*store, {QStringLiteral("zh-CN")});
            QCOMPARE(rawValue(l10n.current.get()), QString::fromUtf8(row.stored));
            QCOMPARE(l10n.localized(QStringLiteral("control.reset")), QString::fromUtf8(row.reset));
            QCOMPARE(fileIdentity(home.settingsFile()) != before, row.rewritten);
            QCOMPARE(home.openStore()->readString(LocalizationManager::appLanguageKey, {}), QString::fromUtf8(row.stored));
        }
    }

    // A choice is stored with the language list Qt's own texts follow, and
    // the next launch keeps it.
    void choiceIsStoredAndKept()
    {
        TempConfigHome home;
        const std::pair<AppLanguage, QStringList> choices[] = {
            {AppLanguage::english, {"en"}}, {AppLanguage::chinese, {"zh-Hans"}}, {AppLanguage::system, {}}};
        for (const auto& [language, list] : choices) {
            LocalizationManager(*home.openStore(), {QStringLiteral("en")}).setCurrent(language);
            auto store = home.openStore();
            QCOMPARE(store->readStringList(LocalizationManager::appleLanguagesKey), list);
            QCOMPARE(LocalizationManager(*store, {QStringLiteral("en")}).current.get(), language);
        }
    }
};

QTEST_GUILESS_MAIN(TestLocalization)
#include "test_localization.moc"
