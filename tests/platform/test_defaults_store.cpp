// The settings file: typed reads, bad files, immediate and atomic writes.
#include "platform/defaults_store.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <optional>
#include <sys/stat.h>
#include <sys/sysmacros.h>

class TestDefaultsStore : public QObject {
    Q_OBJECT

    // QSettings, which wrote the files of earlier versions, reading a copy of
    // the file: QSettings objects on one path share a cache.
    static std::unique_ptr<QSettings> qsettingsOf(const QString& path)
    {
        static QTemporaryDir dir;
        static int copies = 0;
        const QString copy = dir.filePath(QString::number(++copies));
        QFile::copy(path, copy);
        return std::make_unique<QSettings>(copy, QSettings::IniFormat);
    }

    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

private Q_SLOTS:
    void pathFollowsXdgConfigHome()
    {
        TempConfigHome home;
        QCOMPARE(DefaultsStore::defaultPath(), home.path() + QStringLiteral("/lumora/lumora.conf"));
    }

    // Whatever is at the path: the store starts with every readable key,
    // never blocks or reads without bound, never changes what it may not
    // read, and a later write keeps the good keys.
    void damagedAndHostileFiles_data()
    {
        QTest::addColumn<QString>("kind");  // what is put at the path
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("read");  // the good keys are read (flag=false, text=dark)
        QTest::addColumn<bool>("writable");
        const QByteArray good("flag=false\ntext=dark\n");
        const auto damaged = [&good](const QByteArray& line) { return "[General]\n" + line + '\n' + good; };
        QByteArray nested;
        for (int level = 0; level < 40'000; ++level)
            nested += "\\0\\0\\0\\t\\0\\0\\0\\0\\x1";
        QByteArray noise(300, Qt::Uninitialized);
        QRandomGenerator random(22);
        for (char& c : noise)
            c = char(random.bounded(256));
        noise.replace('\n', ' ').replace('\r', ' ');
        QByteArray manyKeys("[General]\n");
        for (int i = 0; manyKeys.size() <= SettingsFile::maxBytes; ++i)
            manyKeys += "key" + QByteArray::number(i) + "=value\n";
        const QByteArray variant("=@Variant(\\0\\0\\0\\n\\0\\0\\0\\0\\b\\0\\x64)\n");

        QTest::newRow("missing file") << "none" << QByteArray() << false << true;
        QTest::newRow("good values") << "file" << "[General]\n" + good << true << true;
        QTest::newRow("wrong types") << "file" << QByteArray("[General]\nflag=7\ntext=a, b\n") << false << true;
        QTest::newRow("quoted and escaped") << "file" << QByteArray("[General]\nflag = \"false\"\ntext=d\\x61r\\x6b\n")
                                            << true << true;
        QTest::newRow("not ini") << "file" << QByteArray("{\"flag\": false}\n\x01\x02garbage") << false << true;
        QTest::newRow("binary") << "file" << QByteArray("\xff\xfe\x00\x00[[[\n=\n", 10) << false << true;
        QTest::newRow("empty") << "file" << QByteArray("") << false << true;
        QTest::newRow("nested @Variant") << "file" << damaged("note=@Variant(" + nested + ")") << true << true;
        QTest::newRow("@Variant for known keys") << "file" << "[General]\nflag" + variant + "text" + variant << false
                                                 << true;
        QTest::newRow("stray quote") << "file" << damaged("note=\"typo") << true << true;
        QTest::newRow("trailing backslash") << "file" << damaged("note=typo\\") << true << true;
        QTest::newRow("broken section") << "file" << "[General]\n" + good + "[Upd\nflag=true\n" << true << true;
        QTest::newRow("random bytes") << "file" << damaged(noise) << true << true;
        QTest::newRow("oversized") << "file" << manyKeys + good << false << false;
        QTest::newRow("FIFO") << "fifo" << QByteArray() << false << false;
        QTest::newRow("device node") << "device" << QByteArray() << false << false;
        QTest::newRow("folder") << "folder" << QByteArray() << false << false;
        QTest::newRow("symlink to a regular file") << "link" << "[General]\n" + good << true << true;
        QTest::newRow("symlink to a device node") << "link to device" << QByteArray() << false << false;
        QTest::newRow("folder not writable") << "read-only" << QByteArray() << false << false;
    }
    void damagedAndHostileFiles()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, file);
        QFETCH(bool, read);
        QFETCH(bool, writable);
        const bool flag = !read;
        const QString text = read ? QStringLiteral("dark") : QStringLiteral("dflt");
        TempConfigHome home;
        const QString path = home.settingsFile();
        QDir().mkpath(QFileInfo(path).absolutePath());
        // Links and nodes point into the test's own folder only.
        const QString aside = home.path() + QStringLiteral("/dotfiles/lumora.conf");
        const QString node = kind == QLatin1String("link to device") ? aside : path;
        if (kind == QLatin1String("file"))
            writeFile(path, file);
        else if (kind == QLatin1String("link"))
            writeFile(aside, file);
        else if (kind == QLatin1String("fifo"))
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(path));
        else if (kind == QLatin1String("read-only")) {
            // "nobody" may pass through the home but not write in the folder.
            const auto passable = QFile::ReadOwner | QFile::ExeOwner | QFile::ExeOther;
            QVERIFY(QFile::setPermissions(home.path(), passable | QFile::WriteOwner));
            QVERIFY(QFile::setPermissions(QFileInfo(path).absolutePath(), passable));
        }
        if (kind.contains(QLatin1String("device"))) {
            QDir().mkpath(QFileInfo(node).absolutePath());
            if (::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0600, makedev(1, 5)) != 0)
                QSKIP(qPrintable(QStringLiteral("no device node can be made here: %1").arg(qt_error_string(errno))));
        }
        if (kind.startsWith(QLatin1String("link")))
            QVERIFY(QFile::link(aside, path));
        const quint64 before = fileIdentity(path);

        auto store = home.openStore();
        QCOMPARE(store->readBool(QStringLiteral("flag"), true), flag);
        QCOMPARE(store->readString(QStringLiteral("text"), QStringLiteral("dflt")), text);
        QVERIFY(!store->contains(QStringLiteral("note")));

        std::optional<UnprivilegedFileAccess> asUser;
        if (kind == QLatin1String("read-only"))
            asUser.emplace();
        QCOMPARE(store->write(QStringLiteral("added"), QStringLiteral("yes")), writable);
        asUser.reset();
        QCOMPARE(store->readString(QStringLiteral("added"), {}), QStringLiteral("yes"));
        QCOMPARE(QFileInfo(path).isSymLink(), kind.startsWith(QLatin1String("link")));
        if (!writable) {
            QCOMPARE(fileIdentity(path), before);
            return;
        }
        // The write went down whole: no temporary file is left beside the file.
        const QString real = QFileInfo(path).canonicalFilePath();
        QCOMPARE(QDir(QFileInfo(real).absolutePath()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList{QStringLiteral("lumora.conf")});
        auto again = home.openStore();
        QCOMPARE(again->readBool(QStringLiteral("flag"), true), flag);
        QCOMPARE(again->readString(QStringLiteral("text"), QStringLiteral("dflt")), text);
        QCOMPARE(again->readString(QStringLiteral("added"), {}), QStringLiteral("yes"));
        const auto onDisk = qsettingsOf(path);
        QCOMPARE(onDisk->status(), QSettings::NoError);
        QCOMPARE(onDisk->value(QStringLiteral("added")).toString(), QStringLiteral("yes"));
    }

    // Files of earlier versions were written by QSettings, and it should
    // read ours: both ways, every value comes back as it went in.
    void valuesMatchQSettings_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::newRow("word") << QVariant(QStringLiteral("dark"));
        QTest::newRow("number") << QVariant(qint64(1765170000000));
        QTest::newRow("punctuation") << QVariant(QStringLiteral("a, b; c = \"d\" \\e"));
        QTest::newRow("spaces at the ends") << QVariant(QStringLiteral("  padded  "));
        QTest::newRow("starts with @") << QVariant(QStringLiteral("@Variant(not one)"));
        QTest::newRow("control characters") << QVariant(QStringLiteral("tab\tline\n\x01" "1a"));
        QTest::newRow("beyond ASCII") << QVariant(QStringLiteral("中文 \U0001F642 é"));
        QTest::newRow("empty") << QVariant(QString());
        QTest::newRow("list") << QVariant(QStringList{QStringLiteral("zh-Hans"), QStringLiteral("en, US"), QString()});
    }
    void valuesMatchQSettings()
    {
        QFETCH(QVariant, value);
        const QVariant expected = value.typeId() == QMetaType::QStringList ? value : QVariant(value.toString());
        TempConfigHome home;
        QVERIFY(home.openStore()->write(QStringLiteral("v"), value));
        const auto theirs = qsettingsOf(home.settingsFile());
        QCOMPARE(theirs->status(), QSettings::NoError);
        QCOMPARE(theirs->value(QStringLiteral("v")), expected);
        QCOMPARE(theirs->allKeys(), QStringList{QStringLiteral("v")});

        QVERIFY(QFile::remove(home.settingsFile()));
        QSettings(home.settingsFile(), QSettings::IniFormat).setValue(QStringLiteral("Group/v"), value);
        auto ours = home.openStore();
        if (expected.typeId() == QMetaType::QStringList)
            QCOMPARE(ours->readStringList(QStringLiteral("Group/v")), expected.toStringList());
        else
            QCOMPARE(ours->readString(QStringLiteral("Group/v"), QStringLiteral("absent")), expected.toString());
    }

    // A value the file already holds is not written again; anything else,
    // including a value someone changed behind the store's back, is. Held
    // writes (start-up's) follow the same rule when they are committed, and
    // reads see them at once.
    void onlyChangesAreWritten_data()
    {
        QTest::addColumn<QByteArray>("handEdit");  // "-": the file is deleted
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("value");  // none: the key is removed
        QTest::addColumn<bool>("rewritten");
        QTest::addColumn<bool>("held");
        const QString dark = QStringLiteral("dark");
        for (const bool held : {false, true}) {
            const auto row = [held](const char* name) {
                return &QTest::newRow(qPrintable(QString::fromLatin1(name) + (held ? " (held)" : "")));
            };
            *row("same flag") << QByteArray() << "flag" << QVariant(false) << false << held;
            *row("same text") << QByteArray() << "text" << QVariant(dark) << false << held;
            *row("same one-item list") << QByteArray() << "langs" << QVariant(QStringList{QStringLiteral("en")})
                                       << false << held;
            *row("absent key removed") << QByteArray() << "missing" << QVariant() << false << held;
            *row("other flag") << QByteArray() << "flag" << QVariant(true) << true << held;
            *row("new key") << QByteArray() << "fresh" << QVariant(dark) << true << held;
            *row("key removed") << QByteArray() << "text" << QVariant() << true << held;
            *row("same as read, edited since") << QByteArray("[General]\nflag=true\n") << "flag" << QVariant(false)
                                               << true << held;
            *row("file deleted since") << QByteArray("-") << "text" << QVariant(dark) << true << held;
        }
    }
    void onlyChangesAreWritten()
    {
        QFETCH(QByteArray, handEdit);
        QFETCH(QString, key);
        QFETCH(QVariant, value);
        QFETCH(bool, rewritten);
        QFETCH(bool, held);
        TempConfigHome home;
        writeFile(home.settingsFile(), "[General]\nflag=false\nlangs=en\ntext=dark\n");
        auto store = home.openStore();
        if (handEdit == "-")
            QVERIFY(QFile::remove(home.settingsFile()));
        else if (!handEdit.isEmpty())
            writeFile(home.settingsFile(), handEdit);
        const quint64 before = fileIdentity(home.settingsFile());
        const QStringList readBack =
            value.typeId() == QMetaType::Bool ? QStringList{value.toString()} : value.toStringList();
        if (held)
            store->holdWrites();
        QVERIFY(value.isValid() ? store->write(key, value) : store->remove(key));
        QCOMPARE(store->readStringList(key), readBack);
        if (held) {
            QCOMPARE(fileIdentity(home.settingsFile()), before);
            QVERIFY(store->commitHeldWrites());
        }
        QCOMPARE(home.openStore()->readStringList(key), readBack);
        QCOMPARE(fileIdentity(home.settingsFile()) != before, rewritten);
    }

    // Held writes are not lost: the last one of a key wins, and whatever is
    // still held goes down when the store closes, unless it is discarded (a
    // process that leaves because another one runs).
    void heldWrites()
    {
        TempConfigHome home;
        {
            auto store = home.openStore();
            store->holdWrites();
            QVERIFY(store->write(QStringLiteral("text"), QStringLiteral("first")));
            QVERIFY(store->write(QStringLiteral("text"), QStringLiteral("last")));
            QVERIFY(store->write(QStringLiteral("gone"), true));
            QVERIFY(store->remove(QStringLiteral("gone")));
            QVERIFY(!QFile::exists(home.settingsFile()));
        }
        auto store = home.openStore();
        QCOMPARE(store->readString(QStringLiteral("text"), {}), QStringLiteral("last"));
        QVERIFY(!store->contains(QStringLiteral("gone")));
        QVERIFY(store->commitHeldWrites());  // nothing held

        const quint64 before = fileIdentity(home.settingsFile());
        store->holdWrites();
        QVERIFY(store->write(QStringLiteral("text"), QStringLiteral("held")));
        store->discardHeldWrites();
        QCOMPARE(store->readString(QStringLiteral("text"), {}), QStringLiteral("last"));
        store.reset();
        QCOMPARE(fileIdentity(home.settingsFile()), before);
    }

    // A write cut short (a full disk), straight or held, is a failure, and
    // the next write puts every key down again.
    void shortWriteIsAFailureAndHeals()
    {
        const QString longText(200, QLatin1Char('x'));
        for (const bool held : {false, true}) {
            TempConfigHome home;
            auto store = home.openStore();
            QVERIFY(store->write(QStringLiteral("first"), QStringLiteral("kept")));
            const qint64 size = QFileInfo(home.settingsFile()).size();
            if (held) {
                store->holdWrites();
                QVERIFY(store->write(QStringLiteral("second"), longText));
            }
            bool written = true;
            {
                const FileSizeLimit diskAlmostFull(size + 4);
                written = held ? store->commitHeldWrites() : store->write(QStringLiteral("second"), longText);
            }
            QVERIFY(!written);
            QCOMPARE(store->readString(QStringLiteral("second"), {}), longText);
            // The same value again is not taken as already on disk.
            const quint64 cutOff = fileIdentity(home.settingsFile());
            QVERIFY(store->write(QStringLiteral("second"), longText));
            QVERIFY(fileIdentity(home.settingsFile()) != cutOff);
            // Once a write has failed, later ones that work say so again.
            QVERIFY(store->write(QStringLiteral("third"), true));
            const auto onDisk = home.openStore();
            QCOMPARE(onDisk->readString(QStringLiteral("first"), {}), QStringLiteral("kept"));
            QCOMPARE(onDisk->readString(QStringLiteral("second"), {}), longText);
            QVERIFY(onDisk->readBool(QStringLiteral("third"), false));
            // Once down, they are not put down again over a later hand edit.
            writeFile(home.settingsFile(), "[General]\nsecond=edited\n");
            QVERIFY(store->write(QStringLiteral("fourth"), true));
            QCOMPARE(home.openStore()->readString(QStringLiteral("second"), {}), QStringLiteral("edited"));
        }
    }
};

QTEST_GUILESS_MAIN(TestDefaultsStore)
#include "test_defaults_store.moc"
