#include "view_rig.h"

#include "platform/app_notification_center.h"
#include "views/control_section.h"
#include "views/custom_input.h"
#include "views/custom_stepper_field.h"
#include "views/flat_button.h"
#include "views/mode_selector.h"
#include "views/number_field.h"
#include "views/preset_grid.h"
#include "views/progress_ring.h"
#include "views/ringing_overlay.h"
#include "views/settings_popover.h"
#include "views/target_time_input.h"

#include "app/about_window.h"
#include "views/about_view.h"
#include "views/focus_button.h"

#include <QAccessible>
#include <QAction>
#include <QSignalSpy>
#include <cmath>
#include <QLabel>
#include <QScreen>

Q_DECLARE_METATYPE(std::function<void(ViewRig&)>)

using Setup = std::function<void(ViewRig&)>;

// Counts the context-menu requests that come from the keyboard.
struct ContextMenuProbe : QObject {
    int keyboardRequests = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::ContextMenu
            && static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard)
            ++keyboardRequests;
        return false;
    }
};

class TestContentView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A new second glides the arc only when the step can be seen.
    void ringGlidesOnlyVisibleSteps_data()
    {
        QTest::addColumn<qint64>("total");
        QTest::addColumn<bool>("glides");
        QTest::newRow("one minute") << qint64(60) << true;
        QTest::newRow("one hour") << qint64(3600) << false;
    }
    void ringGlidesOnlyVisibleSteps()
    {
        QFETCH(qint64, total);
        QFETCH(bool, glides);
        ViewRig r;
        ProgressRing* ring = r.view->ring();
        ring->setState({0.0, total, QStringLiteral("a"), QStringLiteral("s"), false, true, false});
        const double next = 1.0 / double(total);
        ring->setState({next, total - 1, QStringLiteral("b"), QStringLiteral("s"), false, true, false});
        QCOMPARE(ring->drawnProgress() < next, glides);
        QTRY_COMPARE(ring->drawnProgress(), next);
    }

    void geometry()
    {
        ViewRig r;
        QCOMPARE(r.view->size(), QSize(360, 490));
        const int bleed = ProgressRing::bleed;
        QCOMPARE(r.view->ring()->size(), QSize(152 + 2 * bleed, 152 + 2 * bleed));
        QCOMPARE(r.view->modeContent()->height(), 148);
        QCOMPARE(r.view->gearButton()->size(), QSize(28, 28));
        // The gear sits 12 from the right and 8 from the top.
        QCOMPARE(r.view->gearButton()->geometry().topRight(), QPoint(360 - 12 - 1, 8));
        // The column stays inside the window, in the order of the layout.
        const auto top = [&](QWidget* w) { return w->mapTo(r.view.get(), QPoint(0, 0)).y(); };
        QVERIFY(top(r.view->header()) < top(r.view->ring()));
        QVERIFY(top(r.view->ring()) + bleed + 152 + 14 <= top(r.view->modeSelector()));
        QVERIFY(top(r.view->modeContent()) + 148 <= top(r.view->controlSection()));
        QVERIFY(top(r.view->controlSection()) + r.view->controlSection()->height() <= 490);
        QCOMPARE(r.view->ringingOverlay()->geometry(), r.view->rect());
    }

    void popoverAnchoredToGear()
    {
        ViewRig r;
        r.view->gearButton()->click();
        QVERIFY(r.view->showSettings());
        SettingsPopover* pop = r.view->settingsPopover();
        QCOMPARE(pop->size(), QSize(300, 590));
        const QRect gear(r.view->gearButton()->mapToGlobal(QPoint(0, 0)), r.view->gearButton()->size());
        const QRect screen = r.view->screen()->availableGeometry();
        QCOMPARE(pop->pos(), SettingsPopover::placement(gear, screen));
        // Posting while open leaves it open; closing clears the state.
        AppNotificationCenter::defaultCenter().post(AppNotificationCenter::openSettings);
        QVERIFY(r.view->showSettings());
        r.view->setShowSettings(false);
        QVERIFY(!r.view->showSettings());
        AppNotificationCenter::defaultCenter().post(AppNotificationCenter::openSettings);
        r.settle();
        QVERIFY(r.view->showSettings());
        r.view->setShowSettings(false);
    }

    void popoverPlacement_data()
    {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("room below") << QRect(600, 100, 28, 28) << QPoint(628 - 300, 132);
        QTest::newRow("near left edge") << QRect(10, 100, 28, 28) << QPoint(0, 132);
        QTest::newRow("near bottom opens above") << QRect(600, 700, 28, 28) << QPoint(328, 700 - 4 - 590);
        QTest::newRow("no room either way") << QRect(600, 300, 28, 28) << QPoint(328, 800 - 590);
    }
    void popoverPlacement()
    {
        QFETCH(QRect, anchor);
        QFETCH(QPoint, expected);
        QCOMPARE(SettingsPopover::placement(anchor, QRect(0, 0, 1280, 800)), expected);
    }

    void headerAndControls_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("primary");
        QTest::addColumn<bool>("pause");
        QTest::addColumn<bool>("reset");
        QTest::addColumn<bool>("segments");
        QTest::addColumn<bool>("gear");
        QTest::addColumn<bool>("overlay");
        // Every state reached by mouse, as a user gets there.
        const auto click = [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); ViewRig::settle(); };
        const auto run = [click](ViewRig& r, qint64 ms) {
            click(r.view->presetGrid()->cards().at(0));
            click(r.view->controlSection()->primaryButton());
            r.clock.advance(ms);
            QTRY_COMPARE(r.timer.remainingSeconds.get(), qint64(qMax(0, 60 - int(ms / 1000))));
            r.settle();
        };
        QTest::newRow("idle") << Setup([](ViewRig&) {}) << "Countdown Timer" << true << false << false << true << true
                              << false;
        QTest::newRow("running") << Setup([run](ViewRig& r) { run(r, 2000); }) << "Counting down \u00b7 00:58" << false
                                 << true << true << false << true << false;
        QTest::newRow("paused") << Setup([run, click](ViewRig& r) {
            run(r, 5000);
            click(r.view->controlSection()->pauseButton());
        }) << "Paused \u00b7 00:55" << true << false << true << false << true << false;
        QTest::newRow("resumed") << Setup([run, click](ViewRig& r) {
            run(r, 5000);
            click(r.view->controlSection()->pauseButton());
            click(r.view->controlSection()->primaryButton());
        }) << "Counting down \u00b7 00:55" << false << true << true << false << true << false;
        QTest::newRow("ringing") << Setup([run](ViewRig& r) {
            run(r, 61'000);
            QTRY_VERIFY(r.view->ringingOverlay()->stopButton()->isVisible());
        }) << "Time's up!" << true << false << true << true << false << true;
        QTest::newRow("stopped") << Setup([run, click](ViewRig& r) {
            run(r, 61'000);
            QTRY_VERIFY(r.view->ringingOverlay()->stopButton()->isVisible());
            click(r.view->ringingOverlay()->stopButton());
            QTRY_VERIFY(!r.view->ringingOverlay()->isVisible());
        }) << "Countdown Timer" << true << false << false << true << true << false;
    }
    void headerAndControls()
    {
        QFETCH(Setup, setup);
        ViewRig r;
        setup(r);
        ControlSection* c = r.view->controlSection();
        QTEST(r.view->header()->text(), "title");
        QTEST(c->primaryButton()->isEnabled(), "primary");
        QTEST(c->pauseButton()->isEnabled(), "pause");
        QTEST(c->resetButton()->isEnabled(), "reset");
        QTEST(r.view->modeSelector()->segment(TimerMode::custom)->isEnabled(), "segments");
        QTEST(r.view->gearButton()->isEnabled(), "gear");
        QTEST(r.view->ringingOverlay()->isVisibleTo(r.view.get()), "overlay");
        // The primary button tells start, continue and stop apart.
        const QString expected = r.timer.isRinging ? r.l10n.localized("control.stopRinging") : r.timer.startButtonTitle();
        QCOMPARE(c->primaryButton()->text(), expected);
        QCOMPARE(c->primaryButton()->tint(), r.timer.isRinging ? FlatButton::Tint::red : FlatButton::Tint::accent);
    }

    void overlayButtons_data()
    {
        QTest::addColumn<bool>("restartSetting");
        QTest::newRow("stop alone") << false;
        QTest::newRow("restart offered") << true;
    }
    void overlayButtons()
    {
        QFETCH(bool, restartSetting);
        ViewRig r;
        r.timer.setShowRestartOnExpire(restartSetting);
        r.ring();
        RingingOverlay* o = r.view->ringingOverlay();
        QTRY_VERIFY(o->stopButton()->isVisible());
        QCOMPARE(o->restartButton()->isVisible(), restartSetting);
        // Alone, stop takes the whole row; with restart they share it.
        const int inner = o->cardRect().width() - 64;
        if (!restartSetting) {
            QCOMPARE(o->stopButton()->width(), inner);
        } else {
            QVERIFY(qAbs(o->stopButton()->width() - o->restartButton()->width()) <= 1);
            QTest::mouseClick(o->restartButton(), Qt::LeftButton);
            QVERIFY(!r.timer.isRinging);
            QVERIFY(r.timer.isRunning);
            QCOMPARE(r.timer.totalSeconds.get(), qint64(60));
        }
    }

    void hiddenWindowCatchesUpWhenShown_data()
    {
        QTest::addColumn<qint64>("hiddenMs");
        QTest::newRow("still counting") << qint64(5'000);
        QTest::newRow("rang while hidden") << qint64(61'000);
    }
    void hiddenWindowCatchesUpWhenShown()
    {
        QFETCH(qint64, hiddenMs);
        ViewRig r;
        r.startPreset(1, 1'000);
        r.view->hide();
        r.clock.advance(hiddenMs);
        const bool rings = hiddenMs > 59'000;
        QTRY_COMPARE(bool(r.timer.isRinging), rings);
        QTRY_VERIFY(rings || r.timer.remainingSeconds.get() == 59 - hiddenMs / 1000);
        r.settle();
        // Nothing animates off screen.
        QVERIFY(!r.view->ringingOverlay()->isPulsing());
        r.view->show();
        // Current from the moment it is shown, not a turn later.
        QCOMPARE(r.view->ring()->state(), ProgressRing::stateOf(r.timer));
        QCOMPARE(r.view->header()->text(), r.view->titleText());
        QCOMPARE(r.view->ringingOverlay()->isPulsing(), rings);
        if (rings)
            QTRY_VERIFY(r.view->ringingOverlay()->stopButton()->isVisible());
    }

    void bellPulsesAndRestsBetweenAlarms()
    {
        ViewRig r;
        r.ring();
        RingingOverlay* o = r.view->ringingOverlay();
        QVERIFY(o->isPulsing());
        QTRY_VERIFY(o->bellScale() > 1.02);
        QVERIFY(o->bellScale() <= RingingOverlay::pulsePeak + 1e-9);
        r.timer.stopRinging();
        r.timer.reset();
        r.settle();
        QVERIFY(!o->isPulsing());
        QCOMPARE(o->bellScale(), 1.0);
    }

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
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : v;
            QTest::keyClick(target, Qt::Key(k), m);
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
        const auto card = [&](qint64 minutes) -> QWidget* {
            return v->findChild<FlatButton*>(QStringLiteral("preset.%1").arg(minutes));
        };

        // Tab reads the window: the gear, the chosen mode, the chosen card,
        // the start button; a group is one stop.
        walk({v->gearButton(), modes->segment(TimerMode::preset), card(10), c->primaryButton(), v->gearButton()});
        // The arrows move the choice inside a group, and the focus with it.
        walk({modes->segment(TimerMode::preset), card(10)});
        key(Qt::Key_Right);
        QCOMPARE(r.timer.selectedPresetMinutes.get(), qint64(15));
        QCOMPARE(focus(), card(15));
        key(Qt::Key_Left);
        key(Qt::Key_Left);
        QCOMPARE(r.timer.selectedPresetMinutes.get(), qint64(5));
        QVERIFY(qobject_cast<FlatButton*>(card(5))->isChecked() && !qobject_cast<FlatButton*>(card(10))->isChecked());

        // Custom: minus, field, plus as they sit, minutes before seconds.
        key(Qt::Key_Tab, Qt::ShiftModifier);
        key(Qt::Key_Right);
        QCOMPARE(r.timer.mode.get(), TimerMode::custom);
        QCOMPARE(focus(), modes->segment(TimerMode::custom));
        CustomInput* custom = v->customInput();
        r.timer.customMinutes = 1;
        r.timer.customSeconds = 1;
        ViewRig::settle();
        const CustomStepperField* mins = custom->minutesField();
        const CustomStepperField* secs = custom->secondsField();
        walk({mins->minusButton(), mins->field(), mins->plusButton(), secs->minusButton(), secs->field(),
              secs->plusButton(), custom->chip(0)});
        // Space in a text field types; it does not start the countdown.
        QTest::keyClick(secs->field(), Qt::Key_Space);
        QVERIFY(!r.timer.isRunning);

        // Target time: hour then minute, then the start button.
        modes->segment(TimerMode::custom)->setFocus(Qt::TabFocusReason);
        key(Qt::Key_Down);
        QCOMPARE(r.timer.mode.get(), TimerMode::targetTime);
        TargetTimeInput* target = v->targetTimeInput();
        walk({target->hourField(), target->minuteField(), c->primaryButton()});

        // Back to presets; start, pause, resume and reset keep the focus
        // away from reset and off the gear.
        modes->segment(TimerMode::targetTime)->setFocus(Qt::TabFocusReason);
        key(Qt::Key_Right);
        QCOMPARE(r.timer.mode.get(), TimerMode::preset);
        c->primaryButton()->setFocus(Qt::TabFocusReason);
        // (keys, running, paused, focus after them)
        const struct { int key; bool running, paused; QWidget* focus; } presses[] = {
            {Qt::Key_Space, true, false, c->pauseButton()}, {Qt::Key_Space, true, true, c->primaryButton()},
            {Qt::Key_Space, true, false, c->pauseButton()}, {Qt::Key_Tab, true, false, c->resetButton()},
            {Qt::Key_Space, false, false, c->primaryButton()}};
        for (const auto& press : presses) {
            if (press.key == Qt::Key_Tab)
                walk({press.focus});
            else
                key(press.key);
            QCOMPARE(bool(r.timer.isRunning), press.running);
            QCOMPARE(bool(r.timer.isPaused), press.paused);
            QCOMPARE(focus(), press.focus);
        }

        // Ringing: the card takes the keyboard (from wherever it was), Tab
        // stays on it, Space restarts, Escape and Stop end in the idle state.
        RingingOverlay* o = v->ringingOverlay();
        for (int round = 0; round < 2; ++round) {
            key(Qt::Key_Space);
            QVERIFY(r.timer.isRunning);
            c->resetButton()->setFocus(Qt::TabFocusReason);
            r.clock.advance(5 * 60'000 + 1000);
            QTRY_VERIFY(r.timer.isRinging);
            ViewRig::settle();
            QVERIFY(o->isAncestorOf(focus()) || focus() == o);
            QTRY_COMPARE(focus(), static_cast<QWidget*>(o->restartButton()));
            for (int i = 0; i < 5; ++i) {
                key(Qt::Key_Tab);
                QVERIFY(focus() == o->stopButton() || focus() == o->restartButton());
            }
            key(Qt::Key_Tab, Qt::ShiftModifier);
            QCOMPARE(focus(), static_cast<QWidget*>(o->restartButton()));
            QCOMPARE(r.timer.mode.get(), TimerMode::preset);
            if (round == 0) {
                // Space restarts the same countdown; the focus goes to pause.
                key(Qt::Key_Space);
                QVERIFY(!r.timer.isRinging && r.timer.isRunning);
                QCOMPARE(focus(), c->pauseButton());
                c->resetButton()->click();
                ViewRig::settle();
                c->primaryButton()->setFocus(Qt::TabFocusReason);
            } else {
                walk({o->stopButton()});
                key(Qt::Key_Space);
                QVERIFY(!r.timer.isRinging && !r.timer.isRunning);
                QCOMPARE(focus(), c->primaryButton());
            }
        }

        // Shift+F10 asks for the context menu, as the menu key does.
        ContextMenuProbe probe;
        v->installEventFilter(&probe);
        key(Qt::Key_F10, Qt::ShiftModifier);
        QCOMPARE(probe.keyboardRequests, 1);
        v->removeEventFilter(&probe);
    }

    // The settings panel takes the keyboard when it opens; its choices
    // are radio groups.
    void keyboardSettingsPanel()
    {
        ViewRig r;
        QVERIFY(r.activate());
        r.view->gearButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(r.view->gearButton(), Qt::Key_Space);
        ViewRig::settle();
        SettingsPopover* pop = r.view->settingsPopover();
        QVERIFY(pop->isOpen());
        QTRY_VERIFY(pop->isAncestorOf(QApplication::focusWidget()));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("settingsClose"));
        QCOMPARE(QApplication::focusWidget()->accessibleName(), r.l10n.localized("menu.close"));
        // Tab to the notification group lands on the chosen row; Up moves it.
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            auto* b = qobject_cast<FocusButton*>(QApplication::focusWidget());
            if (b && b->isChoice())
                break;
        }
        auto* chosen = qobject_cast<FocusButton*>(QApplication::focusWidget());
        QVERIFY(chosen && chosen->isChoice() && chosen->isChecked());
        QCOMPARE(r.timer.notificationType(), NotificationType::both);
        QTest::keyClick(chosen, Qt::Key_Up);
        QCOMPARE(r.timer.notificationType(), NotificationType::system);
        ViewRig::settle();
        auto* now = qobject_cast<FocusButton*>(QApplication::focusWidget());
        QVERIFY(now && now != chosen && now->isChecked() && !chosen->isChecked());
        // The main menu's shortcuts work from the panel.
        auto* quit = new QAction(r.view.get());
        quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
        r.view->addAction(quit);
        QSignalSpy quits(quit, &QAction::triggered);
        QTest::keyClick(now, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(quits.count(), 1);
        QTest::keyClick(now, Qt::Key_Escape);
        QVERIFY(!pop->isOpen());
    }

    // Escape and Ctrl+W close the About window; the main menu's shortcuts
    // (Ctrl+Q among them) work from it.
    void aboutWindowKeys_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("quits");
        QTest::newRow("escape") << QKeySequence(Qt::Key_Escape) << true << false;
        QTest::newRow("ctrl+w") << QKeySequence(Qt::CTRL | Qt::Key_W) << true << false;
        QTest::newRow("ctrl+q") << QKeySequence(Qt::CTRL | Qt::Key_Q) << false << true;
    }
    void aboutWindowKeys()
    {
        QFETCH(QKeySequence, keys);
        QWidget main;
        auto* quit = new QAction(&main);
        quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
        main.addAction(quit);
        QSignalSpy quits(quit, &QAction::triggered);
        AboutWindow about;
        about.setView(new AboutView(QStringLiteral("lumora"), QStringLiteral("1"), QStringLiteral("d"),
                                    QStringLiteral("OK"), [] {}));
        about.setWindowTitle(QStringLiteral("About lumora"));
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        // A frame named as people know the application.
        QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(&about);
        QCOMPARE(frame->role(), QAccessible::Window);
        QCOMPARE(frame->text(QAccessible::Name), QStringLiteral("About Lumora"));
        QApplication::setActiveWindow(&about);
        QVERIFY(QTest::qWaitForWindowActive(&about));
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &about;
        QTest::keySequence(target, keys);
        QTEST(!about.isVisible(), "closes");
        QTEST(quits.count() == 1, "quits");
    }

    // The focus ring reads against the fill of filled controls: the gap of
    // window colour inside it has at least 3:1 contrast with the fill.
    void focusRingContrast_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<QString>("control");
        for (bool dark : {false, true})
            for (const char* control : {"start", "card", "stop"})
                QTest::addRow("%s %s", dark ? "dark" : "light", control) << dark << QString::fromLatin1(control);
    }
    void focusRingContrast()
    {
        QFETCH(bool, dark);
        QFETCH(QString, control);
        ViewRig r;
        r.view->setPalette(testPalette(dark));
        if (control == QLatin1String("stop"))
            r.ring();
        QVERIFY(r.activate());
        FlatButton* b = control == QLatin1String("stop")   ? r.view->ringingOverlay()->stopButton()
                        : control == QLatin1String("card") ? r.view->findChild<FlatButton*>(QStringLiteral("preset.10"))
                                                           : r.view->controlSection()->primaryButton();
        QTRY_VERIFY(b->isVisible());
        b->setFocus(Qt::TabFocusReason);
        const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('-'));
        r.view->grab().save(testOutputDir() + QStringLiteral("/focus-ring-window-%1.png").arg(tag));
        const QImage picture = b->grab().toImage();
        const qreal ratio = picture.devicePixelRatio();
        const QColor gap = picture.pixelColor(QPoint(int(b->width() / 2 * ratio), int(3.5 * ratio)));
        const QColor fill = picture.pixelColor(QPoint(int(8 * ratio), int(b->height() / 2 * ratio)));
        const auto luminance = [](const QColor& c) {
            const auto lin = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
            return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
        };
        const double a = luminance(gap), f = luminance(fill);
        const double contrast = (qMax(a, f) + 0.05) / (qMin(a, f) + 0.05);
        QVERIFY2(contrast >= 3.0, qPrintable(QStringLiteral("%1 vs %2: %3").arg(gap.name(), fill.name()).arg(contrast)));
    }

    void modeChangeResets()
    {
        ViewRig r;
        r.startPreset(1, 3000);
        r.pause();
        // Assigning the same mode is no change.
        r.timer.mode = TimerMode::preset;
        r.settle();
        QVERIFY(r.timer.isPaused);
        r.timer.mode = TimerMode::custom;
        r.settle();
        QVERIFY(!r.timer.isRunning && !r.timer.isPaused);
        QCOMPARE(r.view->modeContent(), static_cast<QWidget*>(r.view->customInput()));
        // Segments are locked while running, so a click changes nothing.
        r.timer.customMinutes = 1;
        r.timer.start();
        r.settle();
        QVERIFY(r.timer.isRunning);
        QTest::mouseClick(r.view->modeSelector()->segment(TimerMode::targetTime), Qt::LeftButton);
        QCOMPARE(r.timer.mode.get(), TimerMode::custom);
    }

    void languageSwitchRedraws()
    {
        ViewRig r;
        r.startPreset(1, 1000);
        r.l10n.setCurrent(AppLanguage::chinese);
        r.settle();
        QCOMPARE(r.view->header()->text(), r.l10n.localized("title.counting").arg(r.timer.formattedDisplay()));
        QCOMPARE(r.view->modeSelector()->segment(TimerMode::preset)->text(), r.l10n.localized("mode.preset"));
        QVERIFY(r.timer.isRunning);
    }
};

QTEST_MAIN(TestContentView)
#include "test_content_view.moc"
