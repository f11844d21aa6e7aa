// Bring-to-front on a Wayland compositor (headless mutter, set up by
// arrangement.sh): a main window covered by another program's window, or
// minimised, takes the focus again at expiry and on a second launch. Only
// the compositor stacks and focuses there; the window having the focus is
// what the client can see of being in front.
#include "shell_rig.h"

#include <QProcess>

namespace {
constexpr char coverFlag[] = "--cover";

// The other program: one window over the whole screen, until it is ended.
int runCover(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget cover;
    cover.setWindowTitle(QStringLiteral("cover"));
    cover.resize(1280, 800);
    cover.show();
    return app.exec();
}
}  // namespace

class TestWaylandFront : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("wayland"))
            QSKIP("needs a Wayland compositor");
    }

    void comesToTheFront_data()
    {
        QTest::addColumn<bool>("minimise");
        QTest::addColumn<bool>("atExpiry");
        QTest::newRow("covered, at expiry") << false << true;
        QTest::newRow("minimised, at expiry") << true << true;
        QTest::newRow("covered, second launch") << false << false;
        QTest::newRow("minimised, second launch") << true << false;
    }
    void comesToTheFront()
    {
        QFETCH(bool, minimise);
        QFETCH(bool, atExpiry);
        ShellRig rig;
        rig.armAlarm(true);
        rig.launch();
        // A new window gets the focus.
        QTRY_VERIFY_WITH_TIMEOUT(rig.window().isActiveWindow(), 20000);

        QProcess cover;
        if (minimise) {
            rig.window().showMinimized();
        } else {
            cover.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(coverFlag)});
            QVERIFY(cover.waitForStarted());
        }
        // The other window, or nothing, has the focus now.
        QTRY_VERIFY_WITH_TIMEOUT(!rig.window().isActiveWindow(), 20000);

        if (atExpiry) {
            rig.timer.start();
            rig.clock.advance(1001);
            QTRY_VERIFY(rig.timer.isRinging);
        } else {
            // What a second launch without a launcher's token asks for.
            rig.delegate().bringWindowToFrontWith(QString());
        }
        QTRY_VERIFY_WITH_TIMEOUT(rig.window().isActiveWindow(), 20000);
        QVERIFY(rig.window().isVisible());

        if (cover.state() != QProcess::NotRunning) {
            cover.terminate();
            QVERIFY(cover.waitForFinished());
        }
        rig.timer.stopRinging();
        rig.timer.reset();
    }
};

int main(int argc, char** argv)
{
    if (argc > 1 && qstrcmp(argv[1], coverFlag) == 0)
        return runCover(argc, argv);
    QApplication app(argc, argv);
    TestWaylandFront test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_wayland_front.moc"
