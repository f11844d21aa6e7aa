// Where Lumora's windows meet, on the desktop arrangement.sh set up. On X
// (no window manager, or openbox), with real pointer clicks: the settings
// popover against the ringing overlay and every way the main window is
// raised, and where dialogs open. On Wayland (headless mutter): a main
// window covered by another program's window, or minimised, comes to the
// front at expiry and on a second launch.
#include "app/about_window.h"
#include "services/update_window.h"
#include "shell_rig.h"
#include "views/content_view.h"
#include "views/flat_button.h"
#include "views/ringing_overlay.h"
#include "views/settings_popover.h"

#include <QProcess>
#include <QScreen>
#include <QWindow>

namespace {
constexpr char coverFlag[] = "--cover";

void expire(ShellRig& rig)
{
    rig.timer.start();
    rig.clock.advance(1001);
    QTRY_VERIFY(rig.timer.isRinging);
}

// A press and release at the widget's centre, as the X server delivers it:
// through any pointer grab and to whichever window is on top there.
bool realClick(const QWidget* widget)
{
    const QPoint at = widget->mapToGlobal(widget->rect().center());
    const auto move = [](QPoint to) {
        return QStringList{"mousemove", "--sync", QString::number(to.x()), QString::number(to.y())};
    };
    // xdotool's --sync waits for the pointer to move, which it never does
    // when it is already there: step off the spot first.
    return QProcess::execute("xdotool", move(at + QPoint(1, 0)) + move(at) + QStringList{"click", "1"}) == 0;
}

// How far the window's centre is from `centre`; the frame a window manager
// adds is not known before the first show, so half of it is tolerated.
int offCentre(const QWidget& window, QPoint centre)
{
    const int frame = window.frameGeometry().height() - window.height();
    return qMax(0, (window.frameGeometry().center() - centre).manhattanLength() - frame);
}

// The functions field of a window's _MOTIF_WM_HINTS, as xprop reads it:
// "_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x3, 0x24, 0x3a, 0x0, 0x0".
QString motifFunctions(const QWidget& window)
{
    QProcess xprop;
    xprop.start("xprop", {"-id", QString::number(window.winId()), "_MOTIF_WM_HINTS"});
    xprop.waitForFinished();
    return QString::fromLatin1(xprop.readAllStandardOutput()).section(',', 1, 1).trimmed();
}
}  // namespace

class TestWindowArrangements : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void popoverNeverOutlivesARaise_data()
    {
        QTest::addColumn<QStringList>("steps");
        for (const char* steps : {"open expire", "open traySettings expire", "open secondLaunch expire",
                                  "open trayClick trayClick expire", "open minimise secondLaunch expire",
                                  "expire gear traySettings", "expire secondLaunch"})
            QTest::newRow(steps) << QString::fromLatin1(steps).split(QLatin1Char(' '));
    }
    void popoverNeverOutlivesARaise()
    {
        QFETCH(QStringList, steps);
        ShellRig rig;
        rig.armAlarm(true);
        rig.launch();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.window()));
        auto* content = qobject_cast<ContentView*>(rig.window().contentWidget());
        SettingsPopover* popover = content->settingsPopover();

        for (const QString& step : steps) {
            if (step == QLatin1String("open")) {
                QVERIFY(realClick(content->gearButton()));
                QTRY_VERIFY(popover->isOpen());
                QVERIFY(QTest::qWaitForWindowExposed(popover));
                // It belongs to the main window.
                QCOMPARE(popover->windowHandle()->transientParent(), rig.window().windowHandle());
                QCOMPARE(QApplication::activePopupWidget(), popover);
            } else if (step == QLatin1String("expire")) {
                expire(rig);
            } else if (step == QLatin1String("gear")) {
                // Not over the alarm.
                content->setShowSettings(true);
                QVERIFY(!popover->isOpen());
            } else if (step == QLatin1String("traySettings")) {
                rig.delegate().statusItem()->menu()->actions().at(0)->trigger();
            } else if (step == QLatin1String("secondLaunch")) {
                rig.delegate().bringWindowToFrontWith(QString());
            } else if (step == QLatin1String("minimise")) {
                rig.window().showMinimized();
                QTRY_VERIFY(!popover->isOpen());
            } else if (step == QLatin1String("trayClick")) {
                const bool wasVisible = rig.window().isVisible();
                rig.tray->click(TrayBackend::Click::primary);
                QCOMPARE(rig.window().isVisible(), !wasVisible);
                // Hiding the window took its popover along.
                QVERIFY(!popover->isOpen());
            }
            ShellRig::settle();
        }
        // What the user sees now is the alarm, with nothing over it and
        // nothing holding the pointer.
        QTRY_VERIFY(!popover->isOpen());
        QVERIFY(!QApplication::activePopupWidget());
        QVERIFY(QTest::qWaitForWindowExposed(&rig.window()));
        QVERIFY(rig.timer.isRinging);
        // The overlay glides in; its buttons join at the end.
        FlatButton* stop = content->ringingOverlay()->stopButton();
        QTRY_VERIFY(stop->isVisible());
        QVERIFY(realClick(stop));
        QTRY_VERIFY(!rig.timer.isRinging);
        QVERIFY(!popover->isOpen());
    }

    // Centred on the main window, or on the screen and inside it when the
    // main window is away.
    void dialogsOpenCentred()
    {
        ShellRig rig;
        rig.launch();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.window()));
        const QRect area = rig.window().screen()->availableGeometry();
        rig.window().move(area.topLeft() + QPoint(100, 80));
        QTRY_COMPARE(rig.window().pos(), area.topLeft() + QPoint(100, 80));
        rig.delegate().showAbout();
        AboutWindow* about = rig.delegate().aboutWindow();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QTRY_VERIFY(offCentre(*about, rig.window().frameGeometry().center()) <= 2);
        // Its fixed size and lone close button, as the window manager reads
        // them: moving and closing (0x4 | 0x20), nothing else.
        QCOMPARE(motifFunctions(*about), QStringLiteral("0x24"));

        rig.window().hide();
        UpdateWindow update;
        update.showMessage(QStringLiteral("You are up to date."), QStringLiteral("OK"));
        update.present(false);
        QVERIFY(QTest::qWaitForWindowExposed(&update));
        QTRY_VERIFY(offCentre(update, area.center()) <= 2);
        QVERIFY(area.contains(update.frameGeometry()));
    }

    // Only the compositor stacks and focuses there; the window having the
    // focus is what the client can see of being in front.
    void comesToTheFront()
    {
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
                if (atExpiry)
                    expire(rig);
                else  // what a second launch without a launcher's token asks for
                    rig.delegate().bringWindowToFrontWith(QString());
                QTRY_VERIFY2_WITH_TIMEOUT(rig.window().isActiveWindow() && rig.window().isVisible(), what.constData(),
                                          20000);
                cover.terminate();
                cover.waitForFinished();
                rig.timer.stopRinging();
                rig.timer.reset();
            }
        }
    }
};

// The cases to run are named on the command line, as each needs its desktop.
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
    TestWindowArrangements test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_window_arrangements.moc"
