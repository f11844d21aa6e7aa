// Bring-to-front on a Wayland compositor (headless mutter, set up by
// arrangement.sh): a main window covered by another program's window, or
// minimised, takes the focus again at expiry and on a second launch. Only
// the compositor stacks and focuses there; the window having the focus is
// what the client can see of being in front.
#include "shell_rig.h"

#include <QProcess>

namespace {
constexpr char coverFlag[] = "--cover";
}  // namespace

class TestWaylandFront : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void comesToTheFront()
    {
        if (QGuiApplication::platformName() != QLatin1String("wayland"))
            QSKIP("needs a Wayland compositor");
        for (const bool minimise : {false, true}) {
            for (const bool atExpiry : {true, false}) {
                const QByteArray what = QByteArray(minimise ? "minimised" : "covered") +
                                        (atExpiry ? ", at expiry" : ", on a second launch");
                ShellRig rig;
                rig.armAlarm(true);
                rig.launch();
                // A new window gets the focus.
                QTRY_VERIFY_WITH_TIMEOUT(rig.window().isActiveWindow(), 20000);
                QProcess cover;
                if (minimise)
                    rig.window().showMinimized();
                else
                    cover.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(coverFlag)});
                // The other window, or nothing, has the focus now.
                QTRY_VERIFY2_WITH_TIMEOUT(!rig.window().isActiveWindow(), what.constData(), 20000);
                if (atExpiry) {
                    rig.timer.start();
                    rig.clock.advance(1001);
                    QTRY_VERIFY(rig.timer.isRinging);
                } else {
                    // What a second launch without a launcher's token asks for.
                    rig.delegate().bringWindowToFrontWith(QString());
                }
                QTRY_VERIFY2_WITH_TIMEOUT(rig.window().isActiveWindow() && rig.window().isVisible(), what.constData(), 20000);
                cover.terminate();
                cover.waitForFinished();
                rig.timer.stopRinging();
                rig.timer.reset();
            }
        }
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The other program: one window over the whole screen, until it is ended.
    if (argc > 1 && qstrcmp(argv[1], coverFlag) == 0) {
        QWidget cover;
        cover.resize(1280, 800);
        cover.show();
        return app.exec();
    }
    TestWaylandFront test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_wayland_front.moc"
