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
#include <sys/stat.h>
#include <sys/sysmacros.h>

class TestDefaultsStore : public QObject {
    Q_OBJECT

    // The file as it is on disk: QSettings objects on one path share a cache.
    static std::unique_ptr<QSettings> readFromDisk(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return std::make_unique<QSettings>();
        static QTemporaryDir dir;
        const QString copy = dir.filePath(QStringLiteral("copy-%1.conf").arg(++copies));
        QFile out(copy);
        if (!out.open(QIODevice::WriteOnly) || out.write(file.readAll()) < 0)
            return std::make_unique<QSettings>();
        out.close();
        return std::make_unique<QSettings>(copy, QSettings::IniFormat);
    }
    static inline int copies = 0;

    // What is at the path and behind it: kind, inode, size, device.
    static QString pathState(const QString& path)
    {
        QString state;
        struct stat st {};
        const QByteArray native = QFile::encodeName(path);
        if (::lstat(native.constData(), &st) == 0)
            state += QStringLiteral("%1 %2 %3;").arg(st.st_mode).arg(st.st_ino).arg(st.st_size);
        if (::stat(native.constData(), &st) == 0)
            state += QStringLiteral("%1 %2 %3 %4").arg(st.st_mode).arg(st.st_ino).arg(st.st_size).arg(st.st_rdev);
        return state;
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
        QTest::addColumn<bool>("flag");
        QTest::addColumn<QString>("text");
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

        QTest::newRow("missing file") << "none" << QByteArray() << true << "dflt" << true;
        QTest::newRow("good values") << "file" << "[General]\n" + good << false << "dark" << true;
        QTest::newRow("wrong types") << "file" << QByteArray("[General]\nflag=7\ntext=a, b\n") << true << "dflt"
                                     << true;
        QTest::newRow("quoted and escaped") << "file" << QByteArray("[General]\nflag = \"false\"\ntext=d\\x61r\\x6b\n")
                                            << false << "dark" << true;
        QTest::newRow("not ini") << "file" << QByteArray("{\"flag\": false}\n\x01\x02garbage") << true << "dflt"
                                 << true;
        QTest::newRow("binary") << "file" << QByteArray("\xff\xfe\x00\x00[[[\n=\n", 10) << true << "dflt" << true;
        QTest::newRow("empty") << "file" << QByteArray("") << true << "dflt" << true;
        QTest::newRow("nested @Variant") << "file" << damaged("note=@Variant(" + nested + ")") << false << "dark"
                                         << true;
        const QByteArray variantText("text=@Variant(\\0\\0\\0\\n\\0\\0\\0\\0\\b\\0\\x64)\n");
        QTest::newRow("@Variant for a known key") << "file" << "[General]\n" + good + variantText << false << "dflt"
                                                  << true;
        QTest::newRow("huge @Variant") << "file" << damaged("note=@Variant(" + nested + nested + ")") << true
                                       << "dflt" << false;
        QTest::newRow("stray quote") << "file" << damaged("note=\"typo") << false << "dark" << true;
        QTest::newRow("trailing backslash") << "file" << damaged("note=typo\\") << false << "dark" << true;
        QTest::newRow("broken section") << "file" << "[General]\n" + good + "[Upd\nflag=true\n" << false << "dark"
                                        << true;
        QTest::newRow("random bytes") << "file" << damaged(noise) << false << "dark" << true;
        QTest::newRow("oversized") << "file" << manyKeys + good << true << "dflt" << false;
        QTest::newRow("FIFO") << "fifo" << QByteArray() << true << "dflt" << false;
        QTest::newRow("device node") << "device" << QByteArray() << true << "dflt" << false;
        QTest::newRow("folder") << "folder" << QByteArray() << true << "dflt" << false;
        QTest::newRow("symlink to a regular file") << "link" << "[General]\n" + good << false << "dark" << true;
        QTest::newRow("symlink to a device node") << "link to device" << QByteArray() << true << "dflt" << false;
    }
    void damagedAndHostileFiles()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, file);
        QFETCH(bool, flag);
        QFETCH(QString, text);
        QFETCH(bool, writable);
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
        if (kind.contains(QLatin1String("device"))) {
            QDir().mkpath(QFileInfo(node).absolutePath());
            if (::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0600, makedev(1, 5)) != 0)
                QSKIP(qPrintable(QStringLiteral("no device node can be made here: %1").arg(qt_error_string(errno))));
        }
        if (kind.startsWith(QLatin1String("link")))
            QVERIFY(QFile::link(aside, path));
        const QString before = pathState(path);

        auto store = home.openStore();
        QCOMPARE(store->readBool(QStringLiteral("flag"), true), flag);
        QCOMPARE(store->readString(QStringLiteral("text"), QStringLiteral("dflt")), text);
        QVERIFY(!store->contains(QStringLiteral("note")));

        QCOMPARE(store->write(QStringLiteral("added"), QStringLiteral("yes")), writable);
        QCOMPARE(store->readString(QStringLiteral("added"), {}), QStringLiteral("yes"));
        QCOMPARE(QFileInfo(path).isSymLink(), kind.startsWith(QLatin1String("link")));
        if (!writable) {
            QCOMPARE(pathState(path), before);
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
        // QSettings, which wrote the files of earlier versions, reads ours.
        const auto onDisk = readFromDisk(path);
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
        const auto theirs = readFromDisk(home.settingsFile());
        QCOMPARE(theirs->status(), QSettings::NoError);
        QCOMPARE(theirs->value(QStringLiteral("v")), expected);
        QCOMPARE(theirs->allKeys(), QStringList{QStringLiteral("v")});

        QVERIFY(QFile::remove(home.settingsFile()));
        {
            QSettings(home.settingsFile(), QSettings::IniFormat).setValue(QStringLiteral("Group/v"), value);
        }
        auto ours = home.openStore();
        if (expected.typeId() == QMetaType::QStringList)
            QCOMPARE(ours->readStringList(QStringLiteral("Group/v")), expected.toStringList());
        else
            QCOMPARE(ours->readString(QStringLiteral("Group/v"), QStringLiteral("absent")), expected.toString());
    }

    // A value the file already holds is not written again; anything else,
    // including a value someone changed behind the store's back, is. Held
    // writes (start-up's) follow the same rule when they are committed.
    void onlyChangesAreWritten_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("handEdit");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("rewritten");
        QTest::addColumn<bool>("held");
        const QByteArray stored("[General]\nflag=false\nlangs=en\ntext=dark\n");
        for (const bool held : {false, true}) {
            const auto row = [held](const char* name) {
                return &QTest::newRow(qPrintable(QString::fromLatin1(name) + (held ? " (held)" : "")));
            };
            *row("same flag") << stored << QByteArray() << "flag=false" << false << held;
            *row("same text") << stored << QByteArray() << "text=dark" << false << held;
            *row("same one-item list") << stored << QByteArray() << "langs=en" << false << held;
            *row("absent key removed") << stored << QByteArray() << "-missing" << false << held;
            *row("other flag") << stored << QByteArray() << "flag=true" << true << held;
            *row("new key") << stored << QByteArray() << "fresh=dark" << true << held;
            *row("key removed") << stored << QByteArray() << "-text" << true << held;
            *row("same as read, edited since") << stored << QByteArray("[General]\nflag=true\n") << "flag=false"
                                               << true << held;
            *row("file deleted since") << stored << QByteArray("-") << "text=dark" << true << held;
        }
    }
    void onlyChangesAreWritten()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, handEdit);
        QFETCH(QString, action);
        QFETCH(bool, rewritten);
        QFETCH(bool, held);
        TempConfigHome home;
        writeFile(home.settingsFile(), file);
        auto store = home.openStore();
        QCOMPARE(store->readBool(QStringLiteral("flag"), true), false);
        if (handEdit == "-")
            QVERIFY(QFile::remove(home.settingsFile()));
        else if (!handEdit.isEmpty())
            writeFile(home.settingsFile(), handEdit);
        const quint64 before = fileIdentity(home.settingsFile());

        const QString key = action.section(QLatin1Char('='), 0, 0);
        const QString value = action.section(QLatin1Char('='), 1);
        const bool removal = key.startsWith(QLatin1Char('-'));
        if (held)
            store->holdWrites();
        if (removal)
            QVERIFY(store->remove(key.mid(1)));
        else if (key == QLatin1String("langs"))
            QVERIFY(store->write(key, QStringList{value}));
        else
            QVERIFY(store->write(key, key == QLatin1String("flag") ? QVariant(value == QLatin1String("true"))
                                                                   : QVariant(value)));
        if (held) {
            // Reads see the change at once; the file waits for the commit.
            if (removal)
                QVERIFY(!store->contains(key.mid(1)));
            else if (key == QLatin1String("flag"))
                QCOMPARE(store->readBool(key, value != QLatin1String("true")), value == QLatin1String("true"));
            else if (key == QLatin1String("langs"))
                QCOMPARE(store->readStringList(key), QStringList{value});
            else
                QCOMPARE(store->readString(key, {}), value);
            QCOMPARE(fileIdentity(home.settingsFile()), before);
            QVERIFY(store->commitHeldWrites());
        }
        const auto onDisk = readFromDisk(home.settingsFile());
        if (removal)
            QVERIFY(!onDisk->contains(key.mid(1)));
        else if (key == QLatin1String("langs"))
            QCOMPARE(onDisk->value(key).toStringList(), QStringList{value});
        else
            QCOMPARE(onDisk->value(key).toString(), value);
        QCOMPARE(fileIdentity(home.settingsFile()) != before, rewritten);
    }

    // Held writes are not lost: the last one of a key wins, and whatever is
    // still held goes down when the store closes, unless it is discarded.
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
        const auto onDisk = readFromDisk(home.settingsFile());
        QCOMPARE(onDisk->value(QStringLiteral("text")).toString(), QStringLiteral("last"));
        QVERIFY(!onDisk->contains(QStringLiteral("gone")));

        QVERIFY(home.openStore()->commitHeldWrites());  // nothing held

        // A process that leaves because another one runs drops what it held:
        // reads fall back to the file and nothing reaches the disk.
        const quint64 before = fileIdentity(home.settingsFile());
        {
            auto store = home.openStore();
            store->holdWrites();
            QVERIFY(store->write(QStringLiteral("text"), QStringLiteral("held")));
            QVERIFY(store->write(QStringLiteral("fresh"), true));
            store->discardHeldWrites();
            QCOMPARE(store->readString(QStringLiteral("text"), {}), QStringLiteral("last"));
            QVERIFY(!store->contains(QStringLiteral("fresh")));
        }
        QCOMPARE(fileIdentity(home.settingsFile()), before);
    }

    // A write cut short (a full disk), straight or held, is a failure, and
    // the next write puts every key down again.
    void shortWriteIsAFailureAndHeals_data()
    {
        QTest::addColumn<bool>("held");
        QTest::newRow("straight") << false;
        QTest::newRow("held") << true;
    }
    void shortWriteIsAFailureAndHeals()
    {
        QFETCH(bool, held);
        TempConfigHome home;
        auto store = home.openStore();
        QVERIFY(store->write(QStringLiteral("first"), QStringLiteral("kept")));
        const qint64 size = QFileInfo(home.settingsFile()).size();
        const QString longText(200, QLatin1Char('x'));
        bool written = true;
        if (held) {
            store->holdWrites();
            QVERIFY(store->write(QStringLiteral("second"), longText));
        }
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
        const auto onDisk = readFromDisk(home.settingsFile());
        QCOMPARE(onDisk->value(QStringLiteral("first")).toString(), QStringLiteral("kept"));
        QCOMPARE(onDisk->value(QStringLiteral("second")).toString(), longText);
        QCOMPARE(onDisk->value(QStringLiteral("third")).toString(), QStringLiteral("true"));
    }

    void unwritableLocationReportsFailure()
    {
        TempConfigHome home;
        const QString dir = home.path() + QStringLiteral("/lumora");
        QDir().mkpath(dir);
        // "nobody" may pass through the home but not write in the folder.
        const auto passable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther;
        QFile::setPermissions(home.path(), passable);
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        auto store = home.openStore();
        bool written = true;
        {
            const UnprivilegedFileAccess asUser;
            written = store->write(QStringLiteral("flag"), true);
        }
        QVERIFY(!written);
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
};

QTEST_GUILESS_MAIN(TestDefaultsStore)
#include "test_defaults_store.moc"
