// The settings file: typed reads, bad files, immediate and atomic writes.
#include "support/test_env.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTest>
#include <sys/stat.h>

class TestDefaultsStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Whatever is at the path: the store starts with every readable key,
    // never blocks or reads without bound, never changes what it may not
    // read, and a later write keeps the good keys.
    void damagedAndHostileFiles()
    {
        const QByteArray good("flag=false\ntext=dark\n"), variant("=@Variant(\\0\\0\\0\\n\\0\\0\\0\\0\\b\\0\\x64)\n");
        // What is put at the path, and whether the good keys are read and the file may be written.
        const std::tuple<std::string_view, QByteArray, bool, bool> rows[] = {
            {"none", {}, false, true},
            {"file", "[General]\nflag=7\ntext=a, b\n", false, true},  // wrong types
            {"file", "[General]\nflag = \"false\"\ntext=d\\x61r\\x6b\n", true, true},  // quoted and escaped
            {"file", QByteArray("\xff\xfe\x00\x00[[[\n=\n", 10), false, true},
            {"file", "[General]\nflag" + variant + "text" + variant, false, true},
            {"file", "[General]\nnote=\"typo\n" + good, true, true},
            {"file", "[General]\nnote=typo\\\n" + good, true, true},  // QSettings would join the next line
            {"file", "[General]\n" + good + "[Upd\nflag=true\n", true, true},
            {"file", "[General]\n" + good + QByteArray(SettingsFile::maxBytes, '#'), false, false},  // too large
            {"fifo", {}, false, false},
            {"folder", {}, false, false},
            {"link", "[General]\n" + good, true, true},  // to a file in the test's own folder
        };
        for (const auto& [kind, file, read, writable] : rows) {
            TempConfigHome home;
            const QString path = home.settingsFile(), aside = home.path() + QStringLiteral("/dotfiles/lumora.conf");
            const QByteArray what = QByteArray(kind.data(), kind.size()) + ' ' + file.left(30).toPercentEncoding();
            QDir().mkpath(QFileInfo(path).path());
            if (kind == "file" || kind == "link")
                writeFile(kind == "file" ? path : aside, file);
            if (kind == "link")
                QVERIFY(QFile::link(aside, path));
            if (kind == "fifo")
                QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
            if (kind == "folder")
                QVERIFY(QDir().mkpath(path));
            const quint64 before = fileIdentity(path);
            const auto keys = [&](const DefaultsStore& s) {
                return what + ' ' + QByteArray::number(s.readBool(QStringLiteral("flag"), true)) + ' '
                       + s.readString(QStringLiteral("text"), QStringLiteral("?")).toUtf8() + ' '
                       + s.readString(QStringLiteral("added"), QStringLiteral("-")).toUtf8()
                       + (s.contains(QStringLiteral("note")) ? " note" : "");
            };
            const QByteArray expected = what + (read ? " 0 dark " : " 1 ? ");

            auto store = home.openStore();
            QCOMPARE(keys(*store), expected + '-');
            QCOMPARE(store->write(QStringLiteral("added"), true), writable);
            QCOMPARE(keys(*store), expected + "true");
            QCOMPARE(keys(*home.openStore()), expected + (writable ? "true" : "-"));
            QCOMPARE(fileIdentity(path) == before, !writable);
            QCOMPARE(QFileInfo(path).isSymLink(), kind == "link");
        }
    }

    // Files of earlier versions were written by QSettings, and it should
    // read ours: both ways, every value comes back as it went in.
    void valuesMatchQSettings()
    {
        const QVariant values[] = {QStringLiteral("a, b; c = \"d\" \\e"), QStringLiteral("  padded  "),
                                   QStringLiteral("@Variant(not one)"), QStringLiteral("tab\tline\n\x01" "1a"),
                                   QStringLiteral("中文 \U0001F642 é"), QString(),
                                   QStringList{QStringLiteral("zh-Hans"), QStringLiteral("en, US"), QString()}};
        for (const QVariant& value : values) {
            TempConfigHome home;
            QVERIFY(home.openStore()->write(QStringLiteral("v"), value));
            {
                QSettings theirs(home.settingsFile(), QSettings::IniFormat);
                QCOMPARE(theirs.allKeys(), QStringList{QStringLiteral("v")});
                QCOMPARE(theirs.value(QStringLiteral("v")), value);
                QVERIFY(QFile::remove(home.settingsFile()));
                theirs.setValue(QStringLiteral("Group/v"), value);
            }
            QCOMPARE(home.openStore()->readStringList(QStringLiteral("Group/v")), value.toStringList());
        }
    }

    // A value the file already holds is not written again; anything else,
    // including a value someone changed behind the store's back, is. Held
    // writes (start-up's) are seen by reads at once, the last of a key wins,
    // and they follow the same rule when committed or when the store closes;
    // discarded (a process that leaves because another one runs), they are gone.
    void onlyChangesAreWritten()
    {
        const QString dark = QStringLiteral("dark"), light = QStringLiteral("light");
        const QVariant removed;
        // A hand edit after the store read the file, a change, and whether the file is rewritten.
        const std::tuple<QByteArray, QString, QVariant, bool> rows[] = {
            {{}, "text", dark, false},
            {{}, "langs", QStringList{QStringLiteral("en")}, false},
            {{}, "missing", removed, false},
            {{}, "text", light, true},
            {{}, "fresh", dark, true},
            {{}, "text", removed, true},
            {"[General]\ntext=light\n", "text", dark, true},  // edited by hand since it was read
            {"\n", "text", dark, true},  // emptied
        };
        enum Way { straight, committed, closed, discarded };
        for (const auto& [handEdit, key, value, rewritten] : rows) {
            for (const Way way : {straight, committed, closed, discarded}) {
                TempConfigHome home;
                const QString path = home.settingsFile();
                writeFile(path, "[General]\nflag=false\nlangs=en\ntext=dark\n");
                auto store = home.openStore();
                if (!handEdit.isEmpty())
                    writeFile(path, handEdit);
                const quint64 before = fileIdentity(path);
                if (way != straight) {
                    store->holdWrites();
                    QVERIFY(store->write(key, QStringLiteral("overwritten")));
                }
                QVERIFY(value.isValid() ? store->write(key, value) : store->remove(key));
                QCOMPARE(store->readStringList(key), value.toStringList());
                if (way != straight)
                    QCOMPARE(fileIdentity(path), before);
                if (way == committed)
                    QVERIFY(store->commitHeldWrites());
                if (way == discarded)
                    store->discardHeldWrites();
                store.reset();
                QCOMPARE(QStringLiteral("%1 %2 %3").arg(key).arg(way).arg(fileIdentity(path) != before),
                         QStringLiteral("%1 %2 %3").arg(key).arg(way).arg(rewritten && way != discarded));
                if (way != discarded)
                    QCOMPARE(home.openStore()->readStringList(key), value.toStringList());
            }
        }
    }

    // A write cut short (a full disk), straight or held, is a failure; the
    // next write puts every key down again, and once down they are not put
    // down again over a later hand edit.
    void shortWriteIsAFailureAndHeals()
    {
        const QString longText(200, QLatin1Char('x'));
        for (const bool held : {false, true}) {
            TempConfigHome home;
            QCOMPARE(DefaultsStore::defaultPath(), home.settingsFile());
            auto store = home.openStore();
            QVERIFY(store->write(QStringLiteral("first"), QStringLiteral("kept")));
            if (held) {
                store->holdWrites();
                QVERIFY(store->write(QStringLiteral("second"), longText));
            }
            {
                const FileSizeLimit diskAlmostFull(QFileInfo(home.settingsFile()).size() + 4);
                QVERIFY(!(held ? store->commitHeldWrites() : store->write(QStringLiteral("second"), longText)));
            }
            QCOMPARE(store->readString(QStringLiteral("second"), {}), longText);
            // The same value again is not taken as already on disk.
            QVERIFY(store->write(QStringLiteral("second"), longText));
            const auto onDisk = home.openStore();
            QCOMPARE(onDisk->readString(QStringLiteral("first"), {}), QStringLiteral("kept"));
            QCOMPARE(onDisk->readString(QStringLiteral("second"), {}), longText);
            writeFile(home.settingsFile(), "[General]\nsecond=edited\n");
            QVERIFY(store->write(QStringLiteral("third"), true));
            QCOMPARE(home.openStore()->readString(QStringLiteral("second"), {}), QStringLiteral("edited"));
        }
    }
};

QTEST_GUILESS_MAIN(TestDefaultsStore)
#include "test_defaults_store.moc"
