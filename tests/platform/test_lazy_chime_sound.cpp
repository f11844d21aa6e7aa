// The chime's module: not loaded at start, loaded a moment later or at the
// first play, and the beep wherever it cannot be loaded.
#include "platform/lazy_chime_sound.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

class TestLazyChimeSound : public QObject {
    Q_OBJECT

    static bool multimediaMapped()
    {
        QFile maps(QStringLiteral("/proc/self/maps"));
        return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6Multimedia");
    }

private Q_SLOTS:
    // First: nothing in this process has loaded the module yet.
    void loadsAMomentAfterStart()
    {
        QVERIFY(!multimediaMapped());
        LazyChimeSound sound({QStringLiteral(LUMORA_CHIME_MODULE)});
        QTest::qWait(LazyChimeSound::loadDelayMs / 2);
        QVERIFY(!multimediaMapped());
        QTRY_VERIFY(multimediaMapped());
        QVERIFY(sound.hasChime());
        sound.play();  // no audio output here: the module's own beep
    }

    void findsOrFallsBack_data()
    {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<bool>("chime");
        QTest::addColumn<QString>("warning");
        const QString module = QStringLiteral(LUMORA_CHIME_MODULE);
        const QString missing = QStringLiteral("/nonexistent/lumora-chime.so");
        const QString qtCore = QLibraryInfo::path(QLibraryInfo::LibrariesPath) + QStringLiteral("/libQt6Core.so.6");
        QTest::newRow("the module") << QStringList{module} << true << QString();
        QTest::newRow("missing, then the module") << QStringList{missing, module} << true << QString();
        QTest::newRow("nowhere") << QStringList{missing} << false << QStringLiteral("lumora-chime.so is not installed");
        QTest::newRow("not a library") << QStringList{QStringLiteral("text")} << false
                                       << QStringLiteral("Cannot load library");
        QTest::newRow("a library without the chime") << QStringList{qtCore} << false
                                                     << QStringLiteral("libQt6Core.so.6 has no lumora_chime_create");
    }
    void findsOrFallsBack()
    {
        QFETCH(QStringList, paths);
        QFETCH(bool, chime);
        QFETCH(QString, warning);
        QTemporaryDir dir;
        QFile text(dir.filePath(QStringLiteral("lumora-chime.so")));
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("not an ELF file\n") > 0);
        text.close();
        std::replace(paths.begin(), paths.end(), QStringLiteral("text"), text.fileName());
        if (!warning.isEmpty()) {
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("^the alarm chime could not be loaded \\(.*")
                                                    + QRegularExpression::escape(warning)
                                                    + QStringLiteral(".*\\); the system beep stands in$")));
        }
        // Any further warning fails: it comes once, and never when the chime loads.
        QTest::failOnWarning(QRegularExpression(QStringLiteral("chime could not be loaded")));
        LazyChimeSound sound(paths);
        QCOMPARE(sound.hasChime(), chime);
        sound.play();
        sound.play();
        QCOMPARE(sound.hasChime(), chime);
    }
};

QTEST_MAIN(TestLazyChimeSound)
#include "test_lazy_chime_sound.moc"
