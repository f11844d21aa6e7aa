// Language choice, its storage, lookup by key and the two string tables.
#include "localization/localization_keys.h"
#include "localization/localization_manager.h"
#include "platform/defaults_store.h"
#include "support/test_env.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QXmlStreamReader>

class TestLocalization : public QObject {
    Q_OBJECT

    // id -> translation, read from a TS source file.
    static QHash<QString, QString> readTable(const QString& file)
    {
        QHash<QString, QString> out;
        QFile f(QStringLiteral(LUMORA_SOURCE_DIR "/resources/i18n/") + file);
        if (!f.open(QIODevice::ReadOnly))
            return out;
        QXmlStreamReader xml(&f);
        QString id;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("message"))
                id = xml.attributes().value(QLatin1String("id")).toString();
            else if (xml.isStartElement() && xml.name() == QLatin1String("translation"))
                out.insert(id, xml.readElementText());
        }
        return out;
    }

private Q_SLOTS:
    void tablesHoldExactlyTheCatalogue_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("en") << QStringLiteral("lumora_en.ts");
        QTest::newRow("zh-Hans") << QStringLiteral("lumora_zh_Hans.ts");
    }
    void tablesHoldExactlyTheCatalogue()
    {
        QFETCH(QString, file);
        const auto table = readTable(file);
        QSet<QString> catalogue;
        for (const auto& k : localizationCatalogue)
            catalogue.insert(QString::fromLatin1(k.key));
        QVERIFY(catalogue.size() >= 80);
        QCOMPARE(QSet<QString>(table.keyBegin(), table.keyEnd()), catalogue);
        static const QRegularExpression placeholder(QStringLiteral("%\\d"));
        for (const auto& k : localizationCatalogue) {
            const QString text = table.value(QString::fromLatin1(k.key));
            QVERIFY2(!text.trimmed().isEmpty(), k.key);
            QCOMPARE(int(text.count(placeholder)), k.placeholder ? 1 : 0);
            if (k.placeholder)
                QVERIFY2(text.contains(QLatin1String("%1")), k.key);
        }
    }

    void compiledTablesAnswerEveryKey()
    {
        TempConfigHome home;
        auto store = home.openStore();
        LocalizationManager l10n(*store, {QStringLiteral("en")});
        for (AppLanguage lang : {AppLanguage::english, AppLanguage::chinese}) {
            l10n.setCurrent(lang);
            for (const auto& k : localizationCatalogue) {
                const QString key = QString::fromLatin1(k.key);
                QVERIFY2(l10n.localized(key) != key, k.key);
            }
        }
        QCOMPARE(l10n.localized(QStringLiteral("ring.stop")), QStringLiteral("停止"));
        QCOMPARE(l10n.localized(QStringLiteral("no.such.key")), QStringLiteral("no.such.key"));
        QCOMPARE(l10n.localized(QString()), QString());
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

    void choiceIsStoredAndApplied()
    {
        TempConfigHome home;
        auto store = home.openStore();
        {
            LocalizationManager l10n(*store, {QStringLiteral("zh-CN")});
            QCOMPARE(l10n.current.get(), AppLanguage::system);
            QCOMPARE(store->readString(LocalizationManager::appLanguageKey, {}), QStringLiteral("system"));
            QVERIFY(!store->contains(LocalizationManager::appleLanguagesKey));
            QCOMPARE(l10n.localized(QStringLiteral("control.reset")), QStringLiteral("重置"));

            l10n.setCurrent(AppLanguage::english);
            QCOMPARE(l10n.localized(QStringLiteral("control.reset")), QStringLiteral("Reset"));
            QCOMPARE(store->readStringList(LocalizationManager::appleLanguagesKey),
                     QStringList{QStringLiteral("en")});
        }
        // The next launch keeps the choice.
        auto again = home.openStore();
        LocalizationManager next(*again, {QStringLiteral("zh-CN")});
        QCOMPARE(next.current.get(), AppLanguage::english);
        next.setCurrent(AppLanguage::chinese);
        QCOMPARE(again->readStringList(LocalizationManager::appleLanguagesKey),
                 QStringList{QStringLiteral("zh-Hans")});
        next.setCurrent(AppLanguage::system);
        QVERIFY(!again->contains(LocalizationManager::appleLanguagesKey));
    }

    void badStoredLanguageIsRepaired()
    {
        TempConfigHome home;
        auto store = home.openStore();
        store->write(LocalizationManager::appLanguageKey, QStringLiteral("English"));
        LocalizationManager l10n(*store, {QStringLiteral("en")});
        QCOMPARE(l10n.current.get(), AppLanguage::system);
        QCOMPARE(home.openStore()->readString(LocalizationManager::appLanguageKey, {}),
                 QStringLiteral("system"));
    }

    // Storing the language at every launch writes nothing when it is there.
    void launchLeavesAStoredLanguageAlone()
    {
        TempConfigHome home;
        {
            auto store = home.openStore();
            LocalizationManager first(*store, {QStringLiteral("en")});
            first.setCurrent(AppLanguage::chinese);
        }
        const quint64 written = fileIdentity(home.settingsFile());
        auto store = home.openStore();
        LocalizationManager next(*store, {QStringLiteral("en")});
        QCOMPARE(next.current.get(), AppLanguage::chinese);
        QCOMPARE(fileIdentity(home.settingsFile()), written);
        QCOMPARE(home.openStore()->readStringList(LocalizationManager::appleLanguagesKey),
                 QStringList{QStringLiteral("zh-Hans")});
    }
};

QTEST_GUILESS_MAIN(TestLocalization)
#include "test_localization.moc"
