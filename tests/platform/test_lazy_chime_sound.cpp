// The chime's module: not loaded at start, loaded a moment later or at the
// first play, and the beep wherever it cannot be loaded.
#include "platform/lazy_chime_sound.h"

#include <QFile>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QTest>

class TestLazyChimeSound : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Nothing in this process has loaded the module before. Then paths are
    // tried in order; the warning comes once, and never when the chime loads.
    void loadsLaterOrFallsBack()
    {
        const auto multimediaMapped = [] {
            QFile maps(QStringLiteral("/proc/self/maps"));
            return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6Multimedia");
        };
        const QString module = QStringLiteral(LUMORA_CHIME_MODULE);
        {
            QVERIFY(!multimediaMapped());
            LazyChimeSound sound({module});
            QTest::qWait(LazyChimeSound::loadDelayMs / 2);
            QVERIFY(!multimediaMapped());
            QTRY_VERIFY(multimediaMapped());
            QVERIFY(sound.hasChime());
            sound.play();  // no audio output here: the module's own beep
        }
        const QString missing = QStringLiteral("/nonexistent/lumora-chime.so");
        const QString qtCore = QLibraryInfo::path(QLibraryInfo::LibrariesPath) + QStringLiteral("/libQt6Core.so.6");
        const std::pair<QStringList, const char*> cases[] = {
            {{missing, module}, nullptr},
            {{missing}, "lumora-chime.so is not installed"},
            {{QStringLiteral(__FILE__)}, "Cannot load library"},
            {{qtCore}, "libQt6Core.so.6 has no lumora_chime_create"},
        };
        QTest::failOnWarning(QRegularExpression(QStringLiteral("chime could not be loaded")));
        for (const auto& [paths, warning] : cases) {
            if (warning)
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression(
                    QStringLiteral("^the alarm chime could not be loaded \\(.*%1.*\\); the system beep stands in$")
                        .arg(QRegularExpression::escape(QString::fromLatin1(warning)))));
            LazyChimeSound sound(paths);
            QCOMPARE(sound.hasChime(), !warning);
            sound.play();
            sound.play();
        }
    }
};

QTEST_MAIN(TestLazyChimeSound)
#include "test_lazy_chime_sound.moc"
