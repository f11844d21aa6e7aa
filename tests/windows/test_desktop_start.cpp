// The real executable started on the desktop arrangement.sh set up, left to
// run a one-second countdown out and ring, then ended with SIGTERM: it says
// nothing on standard error, exits cleanly and leaves a whole settings file;
// where a sound server runs, the mixer lists the alarm under Lumora's name
// and icon with the event role.
#include "localization/localization_manager.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {
// The first entry of `pactl list sink-inputs`, its properties as
// key = "value" lines.
QString firstSinkInput()
{
    QProcess pactl;
    pactl.start("pactl", {"list", "sink-inputs"});
    pactl.waitForFinished(10000);
    return QString::fromUtf8(pactl.readAllStandardOutput()).section("Sink Input #", 1, 1);
}
}  // namespace

class TestDesktopStart : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startsRingsAndSaysNothing()
    {
        QTemporaryDir config;
        QVERIFY(config.isValid());
        const QString settingsFile = config.path() + QStringLiteral("/lumora/lumora.conf");
        QProcess lumora;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", config.path());
        env.insert("LUMORA_BENCH_MARKS", "1");
        env.insert("LUMORA_BENCH_COUNTDOWN", "1");
        // Only the user's own rules may silence anything here.
        env.remove("QT_LOGGING_RULES");
        lumora.setProcessEnvironment(env);
        lumora.start(QStringLiteral(LUMORA_EXECUTABLE), {});
        QVERIFY(lumora.waitForStarted());
        // The bounds below only say when to give up: under a sanitizer on a
        // loaded machine start-up and exit take tens of seconds.
        QByteArray out;
        QTRY_VERIFY_WITH_TIMEOUT((out += lumora.readAllStandardOutput()).contains("lumora-bench ringing"), 90000);
        // The language a first launch stores reaches the disk once the window
        // is up, without waiting for the exit; the alarm may ring before that.
        QTRY_COMPARE_WITH_TIMEOUT(
            QSettings(settingsFile, QSettings::IniFormat).value(LocalizationManager::appLanguageKey).toString(),
            QStringLiteral("system"), 30000);
        if (QFileInfo::exists(qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/pulse/native"))) {
            // It rings every second; each chime is a stream while it plays.
            QString entry;
            QTRY_VERIFY_WITH_TIMEOUT(!(entry = firstSinkInput()).isEmpty(), 60000);
            for (const char* property : {"application.name = \"Lumora\"",
                                         "application.icon_name = \"org.lumora.Lumora\"", "media.role = \"event\""})
                QVERIFY2(entry.contains(QLatin1String(property)), qPrintable(entry));
        } else {
            // Long enough for a few chimes, or beeps, after the module loaded.
            QTest::qWait(2500);
        }
        lumora.terminate();
        QVERIFY(lumora.waitForFinished(90000));
        QCOMPARE(lumora.exitStatus(), QProcess::NormalExit);
        QCOMPARE(lumora.exitCode(), 0);
        QCOMPARE(QString::fromLocal8Bit(lumora.readAllStandardError()), QString());
        // Nothing half-written: no lock or temporary file, a readable store.
        QCOMPARE(QDir(QFileInfo(settingsFile).absolutePath()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"lumora.conf"});
        QCOMPARE(QSettings(settingsFile, QSettings::IniFormat).status(), QSettings::NoError);
    }
};

QTEST_GUILESS_MAIN(TestDesktopStart)
#include "test_desktop_start.moc"
