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

    void systemLanguageResolution_data()
    {
        QTest::addColumn<QStringList>("preferred");
        QTest::addColumn<QString>("table");
        QTest::newRow("zh-CN") << QStringList{QStringLiteral("zh-CN")} << QStringLiteral("zh-Hans");
        QTest::newRow("zh-Hans-CN") << QStringList{QStringLiteral("zh-Hans-CN")} << QStringLiteral("zh-Hans");
        QTest::newRow("en-GB") << QStringList{QStringLiteral("en-GB")} << QStringLiteral("en");
        QTest::newRow("de then zh") << QStringList{QStringLiteral("de-DE"), QStringLiteral("zh")}
                                    << QStringLiteral("zh-Hans");
        QTest::newRow("unsupported only") << QStringList{QStringLiteral("fr-FR")} << QStringLiteral("en");
        QTest::newRow("empty") << QStringList{} << QStringLiteral("en");
    }
    void systemLanguageResolution()
    {
        QFETCH(QStringList, preferred);
        QFETCH(QString, table);
        QCOMPARE(LocalizationManager::tableForLanguages(preferred), table);
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

    void subscribersSeeTheNewLanguageFirst()
    {
        TempConfigHome home;
        auto store = home.openStore();
        LocalizationManager l10n(*store, {QStringLiteral("en")});
        std::vector<std::pair<AppLanguage, AppLanguage>> seen;
        Cancellable c = l10n.current.sink([&](const AppLanguage& v) { seen.emplace_back(v, l10n.current.get()); });
        l10n.setCurrent(AppLanguage::chinese);
        l10n.setCurrent(AppLanguage::chinese);
        QCOMPARE(seen.size(), size_t(3));
        QCOMPARE(seen[1], std::make_pair(AppLanguage::chinese, AppLanguage::system));
        QCOMPARE(seen[2], std::make_pair(AppLanguage::chinese, AppLanguage::chinese));
    }
};

QTEST_GUILESS_MAIN(TestLocalization)
#include "test_localization.moc"
