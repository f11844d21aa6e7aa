#include "view_rig.h"

#include "app/about_window.h"
#include "platform/app_notification_center.h"
#include "views/about_view.h"
#include "views/control_section.h"
#include "views/custom_input.h"
#include "views/custom_stepper_field.h"
#include "views/flat_button.h"
#include "views/mode_selector.h"
#include "views/number_field.h"
#include "views/settings_popover.h"

#include <QAccessible>
#include <QAction>
#include <QScreen>
#include <QSignalSpy>
#include <cmath>

// The keyboard and its focus; these move the focus between windows, so the
// program runs alone on its display.
class TestContentView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The whole window with the keyboard alone: after every step the focus
    // is where a keyboard user expects it, and nothing under the ringing
    // card can be reached.
    void keyboardWalk()
    {
        ViewRig r;
        QVERIFY(r.activate());
        ContentView* v = r.view.get();
        ControlSection* c = v->controlSection();
        ModeSelector* modes = v->modeSelector();
        const auto focus = [] { return QApplication::focusWidget(); };
        const auto key = [v](int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : v, Qt::Key(k), m);
            ViewRig::settle();
        };
        const auto walk = [&](const QList<QWidget*>& stops) {
            for (QWidget* expected : stops) {
                key(Qt::Key_Tab);
                QCOMPARE(focus(), expected);
                QAccessibleInterface* named = QAccessible::queryAccessibleInterface(expected);
                QVERIFY2(named && !named->text(QAccessible::Name).isEmpty(), qPrintable(expected->objectName()));
            }
        };
        const auto card = [v](int minutes) { return v->findChild<FlatButton*>(QStringLiteral("preset.%1").arg(minutes)); };

        // The focus ring reads against filled controls: the gap of window
        // colour inside it has at least 3:1 contrast with the fill.
        const auto ringReads = [&](const char* name) {
            const auto luminance = [](const QColor& c) {
                const auto lin = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
                return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF()) + 0.05;
            };
            QWidget* b = focus();
            v->grab().save(QStringLiteral("%1/focus-ring-window-%2.png").arg(testOutputDir(), QLatin1String(name)));
            const QImage picture = b->grab().toImage();
            const qreal ratio = picture.devicePixelRatio();
            const double gap = luminance(picture.pixelColor(QPoint(int(b->width() / 2 * ratio), int(3.5 * ratio))));
            const double fill = luminance(picture.pixelColor(QPoint(int(8 * ratio), int(b->height() / 2 * ratio))));
            QVERIFY2(qMax(gap, fill) / qMin(gap, fill) >= 3.0, name);
        };

        // Tab reads the window; a group is one stop, and the arrows move
        // its choice and the focus with it.
        walk({v->gearButton(), modes->segment(TimerMode::preset), card(10)});
        ringReads("light-card");
        walk({c->primaryButton()});
        ringReads("light-start");
        walk({v->gearButton(), modes->segment(TimerMode::preset), card(10)});
        key(Qt::Key_Left);
        QCOMPARE(r.timer.selectedPresetMinutes.get(), qint64(5));
        QVERIFY(focus() == card(5) && card(5)->isChecked() && !card(10)->isChecked());

        // Custom: minus, field, plus as they sit, minutes before seconds.
        key(Qt::Key_Tab, Qt::ShiftModifier);
        key(Qt::Key_Right);
        r.play(QStringLiteral("custom=1:1"));
        const CustomStepperField* mins = v->customInput()->minutesField();
        const CustomStepperField* secs = v->customInput()->secondsField();
        walk({mins->minusButton(), mins->field(), mins->plusButton(), secs->minusButton(), secs->field(),
              secs->plusButton(), v->customInput()->chip(0)});
        modes->segment(TimerMode::custom)->setFocus(Qt::TabFocusReason);
        key(Qt::Key_Left);
        QCOMPARE(r.timer.mode.get(), TimerMode::preset);

        // Start, pause, resume and reset keep the focus off reset and the gear.
        c->primaryButton()->setFocus(Qt::TabFocusReason);
        // (key, running, paused, focus after it)
        const std::tuple<int, bool, bool, QWidget*> presses[] = {
            {Qt::Key_Space, true, false, c->pauseButton()}, {Qt::Key_Space, true, true, c->primaryButton()},
            {Qt::Key_Space, true, false, c->pauseButton()}, {Qt::Key_Tab, true, false, c->resetButton()},
            {Qt::Key_Space, false, false, c->primaryButton()}};
        for (const auto& [k, running, paused, focused] : presses) {
            key(k);
            QCOMPARE(std::pair(bool(r.timer.isRunning), bool(r.timer.isPaused)), std::pair(running, paused));
            QCOMPARE(focus(), focused);
        }

        // Ringing: the card takes the keyboard (from wherever it was), Tab
        // stays on it; Space restarts the first time, Escape ends the second,
        // and the focus goes back to the controls.
        RingingOverlay* o = v->ringingOverlay();
        v->setPalette(darkPalette());
        key(Qt::Key_Space);
        c->resetButton()->setFocus(Qt::TabFocusReason);
        for (const int k : {Qt::Key_Space, Qt::Key_Escape}) {
            r.clock.advance(5 * 60'000 + 1000);
            QTRY_COMPARE(focus(), static_cast<QWidget*>(o->restartButton()));
            walk({o->stopButton(), o->restartButton(), o->stopButton()});
            ringReads("dark-stop");
            key(Qt::Key_Tab, Qt::ShiftModifier);
            QCOMPARE(focus(), static_cast<QWidget*>(o->restartButton()));
            key(k);
            QCOMPARE(std::pair(bool(r.timer.isRinging), bool(r.timer.isRunning)), std::pair(false, k == Qt::Key_Space));
            QCOMPARE(focus(), k == Qt::Key_Space ? c->pauseButton() : c->primaryButton());
        }
        QTRY_VERIFY(!o->isVisible());
        ringReads("dark-start");

        // Shift+F10 asks the window for its context menu, as the menu key does.
        v->setContextMenuPolicy(Qt::CustomContextMenu);
        QSignalSpy menus(v, &QWidget::customContextMenuRequested);
        key(Qt::Key_F10, Qt::ShiftModifier);
        QCOMPARE(menus.count(), 1);
    }

    // The settings panel opens under the gear and takes the keyboard; its
    // choices are radio groups. The About window is a frame named as people
    // know the application and closes on Escape and Ctrl+W. The main
    // window's shortcuts (Ctrl+Q among them) work from both.
    void panelAndAboutKeys()
    {
        ViewRig r;
        QVERIFY(r.activate());
        QAction* quit = r.view->addAction(QString(), QKeySequence(Qt::CTRL | Qt::Key_Q));
        QSignalSpy quits(quit, &QAction::triggered);
        const auto focus = [] { return qobject_cast<FocusButton*>(QApplication::focusWidget()); };

        ContentView* v = r.view.get();
        v->gearButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(v->gearButton(), Qt::Key_Space);
        // Under the gear's right edge, inside the screen; above it when
        // there is no room below, and against the bottom when none above.
        const QRect gear(v->gearButton()->mapToGlobal(QPoint(0, 0)), v->gearButton()->size());
        QCOMPARE(v->settingsPopover()->pos(), SettingsPopover::placement(gear, v->screen()->availableGeometry()));
        const std::pair<QRect, QPoint> placements[] = {
            {QRect(600, 100, 28, 28), QPoint(628 - 300, 132)}, {QRect(10, 100, 28, 28), QPoint(0, 132)},
            {QRect(600, 700, 28, 28), QPoint(328, 700 - 4 - 590)}, {QRect(600, 300, 28, 28), QPoint(328, 800 - 590)}};
        for (const auto& [anchor, expected] : placements)
            QCOMPARE(SettingsPopover::placement(anchor, QRect(0, 0, 1280, 800)), expected);
        QTRY_VERIFY(v->settingsPopover()->isAncestorOf(QApplication::focusWidget()));
        QCOMPARE(QApplication::focusWidget()->accessibleName(), r.l10n.localized("menu.close"));
        // Past the launch switch, Tab lands on the notification group's
        // chosen row; Up moves the choice.
        for (int i = 0; i < 2; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        FocusButton* chosen = focus();
        QVERIFY(chosen && chosen->isChoice() && chosen->isChecked());
        QTest::keyClick(chosen, Qt::Key_Up);
        QCOMPARE(r.timer.notificationType(), NotificationType::system);
        ViewRig::settle();
        QVERIFY(focus() && focus() != chosen && focus()->isChecked() && !chosen->isChecked());
        QTest::keyClick(focus(), Qt::Key_Q, Qt::ControlModifier);
        QTest::keyClick(focus(), Qt::Key_Escape);
        QVERIFY(!v->showSettings());
        // The menu's Settings opens the panel, and leaves it open when it is.
        for (int round = 0; round < 2; ++round) {
            AppNotificationCenter::defaultCenter().post(AppNotificationCenter::openSettings);
            r.settle();
            QVERIFY(v->showSettings());
        }
        v->setShowSettings(false);

        AboutWindow about;
        about.setView(new AboutView(QStringLiteral("lumora"), QStringLiteral("1"), QStringLiteral("d"),
                                    QStringLiteral("OK"), [] {}));
        about.setWindowTitle(QStringLiteral("About lumora"));
        for (const auto& [keys, closes] : {std::pair{QKeySequence(Qt::Key_Escape), true},
                                           std::pair{QKeySequence(Qt::CTRL | Qt::Key_W), true},
                                           std::pair{QKeySequence(Qt::CTRL | Qt::Key_Q), false}}) {
            about.show();
            QApplication::setActiveWindow(&about);
            QVERIFY(QTest::qWaitForWindowActive(&about));
            QTest::keySequence(QApplication::focusWidget() ? QApplication::focusWidget() : &about, keys);
            QCOMPARE(about.isVisible(), !closes);
        }
        QCOMPARE(quits.count(), 2);
        QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(&about);
        QCOMPARE(frame->role(), QAccessible::Window);
        QCOMPARE(frame->text(QAccessible::Name), QStringLiteral("About Lumora"));
    }
};

QTEST_MAIN(TestContentView)
#include "test_content_view.moc"
