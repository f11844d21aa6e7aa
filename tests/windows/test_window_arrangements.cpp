// Where Lumora's windows meet, on the desktop arrangement.sh set up. On X
// (no window manager, or openbox), with real pointer clicks: the settings
// popover against the ringing overlay and every way the main window is
// raised, and where dialogs open. On Wayland (headless mutter): a main
// window covered by another program's window, or minimised, takes the focus
// again at expiry and on a second launch.
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

// A press and release at the widget's centre, as the X server delivers it:
// through any pointer grab and to whichever window is on top there.
bool realClick(const QWidget* widget)
{
    const QPoint at = widget->mapToGlobal(widget->rect().center());
    const QString x = QString::number(at.x()), y = QString::number(at.y());
    // xdotool's --sync waits for the pointer to move, which it never does
    // when it is already there: step off the spot first.
    return QProcess::execute("xdotool", {"mousemove", "--sync", QString::number(at.x() + 1), y, "mousemove", "--sync",
                                        x, y, "click", "1"}) == 0;
}

// How far the window's centre is from `centre`; the frame a window manager
// adds is not known before the first show, so half of it is tolerated.
int offCentre(const QWidget& window, QPoint centre)
{
    const int frame = window.frameGeometry().height() - window.height();
    return qMax(0, (window.frameGeometry().center() - centre).manhattanLength() - frame);
}

}  // namespace

class TestWindowArrangements : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each row a sequence of steps. On X the popover must never outlive a
    // raise, the alarm must take real clicks and dialogs open centred; on
    // Wayland only the compositor stacks and focuses, and the window having
    // the focus is what the client can see of being in front.
    void raises_data()
    {
        QTest::addColumn<QStringList>("steps");
        const QStringList rows = QGuiApplication::platformName() == QLatin1String("xcb")
            ? QStringList{"open expire stop", "open traySettings expire stop", "open secondLaunch expire stop",
                          "open trayClick trayClick expire stop", "open minimise secondLaunch expire stop",
                          "expire gear traySettings stop", "expire secondLaunch stop", "quiet open expire stop",
                          "about hide update"}
            : QStringList{"focused cover unfocused expire focused", "focused minimise unfocused expire focused",
                          "focused cover unfocused secondLaunch focused",
                          "focused minimise unfocused secondLaunch focused"};
        for (const QString& row : rows)
            QTest::newRow(qPrintable(row)) << row.split(QLatin1Char(' '));
    }
    void raises()
    {
        QFETCH(QStringList, steps);
        ShellRig rig;
        rig.armAlarm(true);
        rig.launch();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.window()));
        auto* content = qobject_cast<ContentView*>(rig.window().contentWidget());
        SettingsPopover* popover = content->settingsPopover();
        const QRect area = rig.window().screen()->availableGeometry();
        QProcess cover;
        for (const QString& step : steps) {
            if (step == QLatin1String("open")) {
                QVERIFY(realClick(content->gearButton()));
                QTRY_VERIFY(popover->isOpen());
                QVERIFY(QTest::qWaitForWindowExposed(popover));
                // It belongs to the main window.
                QCOMPARE(popover->windowHandle()->transientParent(), rig.window().windowHandle());
                QCOMPARE(QApplication::activePopupWidget(), popover);
            } else if (step == QLatin1String("expire")) {
                rig.timer.start();
                rig.clock.advance(1001);
                QTRY_VERIFY(rig.timer.isRinging);
            } else if (step == QLatin1String("gear")) {
                // Not over the alarm.
                content->setShowSettings(true);
                QVERIFY(!popover->isOpen());
            } else if (step == QLatin1String("traySettings")) {
                rig.delegate().statusItem()->menu()->actions().at(0)->trigger();
            } else if (step == QLatin1String("secondLaunch")) {
                // What a second launch without a launcher's token asks for;
                // the popover closes before the raise.
                rig.delegate().bringWindowToFrontWith(QString());
                QVERIFY(!popover->isOpen());
            } else if (step == QLatin1String("quiet")) {
                // The alarm alone, without a raise, must close the popover too.
                rig.timer.setBringToFrontOnExpire(false);
            } else if (step == QLatin1String("minimise")) {
                rig.window().showMinimized();
                QTRY_VERIFY(!popover->isOpen());
            } else if (step == QLatin1String("trayClick")) {
                const bool wasVisible = rig.window().isVisible();
                rig.tray->click(TrayBackend::Click::primary);
                QCOMPARE(rig.window().isVisible(), !wasVisible);
                // Hiding the window took its popover along.
                QVERIFY(!popover->isOpen());
            } else if (step == QLatin1String("cover")) {
                cover.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(coverFlag)});
            } else if (step == QLatin1String("focused") || step == QLatin1String("unfocused")) {
                QTRY_COMPARE_WITH_TIMEOUT(rig.window().isActiveWindow(), step == QLatin1String("focused"), 20000);
            } else if (step == QLatin1String("about")) {
                // Centred on the main window.
                rig.window().move(area.topLeft() + QPoint(100, 80));
                QTRY_COMPARE(rig.window().pos(), area.topLeft() + QPoint(100, 80));
                rig.delegate().showAbout();
                AboutWindow* about = rig.delegate().aboutWindow();
                QVERIFY(QTest::qWaitForWindowExposed(about));
                QTRY_VERIFY(offCentre(*about, rig.window().frameGeometry().center()) <= 2);
                // Its fixed size and lone close button, as the window manager
                // reads them: the functions field of _MOTIF_WM_HINTS ("= 0x3,
                // 0x24, ...") offers moving and closing (0x4 | 0x20), nothing else.
                QProcess xprop;
                xprop.start("xprop", {"-id", QString::number(about->winId()), "_MOTIF_WM_HINTS"});
                QVERIFY(xprop.waitForFinished());
                QCOMPARE(QString::fromLatin1(xprop.readAllStandardOutput()).section(',', 1, 1).trimmed(), "0x24");
            } else if (step == QLatin1String("hide")) {
                rig.window().hide();
            } else if (step == QLatin1String("update")) {
                // With the main window away, centred on the screen and inside it.
                UpdateWindow update;
                update.showMessage(QStringLiteral("You are up to date."), QStringLiteral("OK"));
                update.present(false);
                QVERIFY(QTest::qWaitForWindowExposed(&update));
                QTRY_VERIFY(offCentre(update, area.center()) <= 2);
                QVERIFY(area.contains(update.frameGeometry()));
            } else if (step == QLatin1String("stop")) {
                // The alarm, with nothing over it and nothing holding the
                // pointer; its buttons join once it has glided in.
                QTRY_VERIFY(!popover->isOpen());
                QVERIFY(rig.timer.isRinging && !QApplication::activePopupWidget());
                FlatButton* stop = content->ringingOverlay()->stopButton();
                QTRY_VERIFY(stop->isVisible());
                QVERIFY(realClick(stop));
                QTRY_VERIFY(!rig.timer.isRinging);
            }
            ShellRig::settle();
        }
        QVERIFY(!popover->isOpen());
        cover.terminate();
        cover.waitForFinished();
    }
};

// As QTEST_MAIN, but the same program also plays the covering window.
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
    return QTest::qExec(&test, argc, argv);
}

#include "test_window_arrangements.moc"
