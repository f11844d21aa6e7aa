// Where Lumora's windows meet: the settings popover against the ringing
// overlay and every way the main window is raised, with real pointer clicks
// through the X server, on whatever desktop arrangement.sh set up (no window
// manager, or openbox).
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
};

QTEST_MAIN(TestWindowArrangements)
#include "test_window_arrangements.moc"
