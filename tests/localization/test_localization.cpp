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
    // Both compiled tables answer every key, format texts with exactly one %1.
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
    }

    void systemLanguageResolution()
    {
        const std::pair<QStringList, const char*> cases[] = {
            {{QStringLiteral("zh-CN")}, "zh-Hans"}, {{QStringLiteral("zh-Hans-CN")}, "zh-Hans"},
            {{QStringLiteral("en-GB")}, "en"},      {{QStringLiteral("de-DE"), QStringLiteral("zh")}, "zh-Hans"},
            {{QStringLiteral("fr-FR")}, "en"},      {{}, "en"}};
        for (const auto& [preferred, table] : cases)
            QCOMPARE(LocalizationManager::tableForLanguages(preferred), QString::fromLatin1(table));
    }

    // A launch on a Chinese desktop: what it makes of the stored choice, and
    // that a good one costs no write (the language is stored at every launch).
    void launchReadsTheStoredChoice_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("stored");  // appLanguage afterwards
        QTest::addColumn<QString>("reset");
        QTest::addColumn<bool>("rewritten");
        QTest::newRow("first launch") << QByteArray() << "system" << "重置" << true;
        QTest::newRow("bad value repaired") << QByteArray("[General]\nappLanguage=English\n") << "system" << "重置"
                                            << true;
        QTest::newRow("english kept") << QByteArray("[General]\nAppleLanguages=en\nappLanguage=english\n")
                                      << "english" << "Reset" << false;
        QTest::newRow("system kept") << QByteArray("[General]\nappLanguage=system\n") << "system" << "重置" << false;
    }
    void launchReadsTheStoredChoice()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, stored);
        QFETCH(QString, reset);
        QFETCH(bool, rewritten);
        TempConfigHome home;
        if (!file.isEmpty()) {
            QDir().mkpath(home.path() + QStringLiteral("/lumora"));
            QFile f(home.settingsFile());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(file);
        }
        const quint64 before = fileIdentity(home.settingsFile());
        auto store = home.openStore();
        LocalizationManager l10n(*store, {QStringLiteral("zh-CN")});
        QCOMPARE(rawValue(l10n.current.get()), stored);
        QCOMPARE(l10n.localized(QStringLiteral("control.reset")), reset);
        QCOMPARE(fileIdentity(home.settingsFile()) != before, rewritten);
        QCOMPARE(home.openStore()->readString(LocalizationManager::appLanguageKey, {}), stored);
    }

    // A choice is stored with the language list Qt's own texts follow, and
    // the next launch keeps it.
    void choiceIsStoredAndKept()
    {
        TempConfigHome home;
        const std::pair<AppLanguage, QStringList> choices[] = {{AppLanguage::english, {QStringLiteral("en")}},
                                                               {AppLanguage::chinese, {QStringLiteral("zh-Hans")}},
                                                               {AppLanguage::system, {}}};
        for (const auto& [language, list] : choices) {
            {
                auto store = home.openStore();
                LocalizationManager(*store, {QStringLiteral("en")}).setCurrent(language);
            }
            auto store = home.openStore();
            QCOMPARE(store->readStringList(LocalizationManager::appleLanguagesKey), list);
            QCOMPARE(LocalizationManager(*store, {QStringLiteral("en")}).current.get(), language);
        }
    }
};

QTEST_GUILESS_MAIN(TestLocalization)
#include "test_localization.moc"
