#include "view_rig.h"

#include "app/about_window.h"
#include "platform/app_notification_center.h"
#include "views/about_view.h"
#include "views/control_section.h"
#include "views/custom_input.h"
#include "views/custom_stepper_field.h"
#include "views/flat_button.h"
#include "views/focus_button.h"
#include "views/mode_selector.h"
#include "views/number_field.h"
#include "views/preset_grid.h"
#include "views/progress_ring.h"
#include "views/ringing_overlay.h"
#include "views/settings_popover.h"
#include "views/target_time_input.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <cmath>

using Setup = std::function<void(ViewRig&)>;
Q_DECLARE_METATYPE(Setup)

class TestContentView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The column in order inside the fixed window, the gear in its corner
    // and the settings popover under it, kept on screen.
    void layout()
    {
        ViewRig r;
        ContentView* v = r.view.get();
        QCOMPARE(v->size(), QSize(360, 490));
        const int bleed = ProgressRing::bleed;
        // 28 square, 12 from the right and 8 from the top.
        QCOMPARE(v->gearButton()->geometry(), QRect(360 - 12 - 28, 8, 28, 28));
        const auto top = [v](QWidget* w) { return w->mapTo(v, QPoint(0, 0)).y(); };
        QVERIFY(top(v->header()) < top(v->ring()));
        QVERIFY(top(v->ring()) + bleed + 152 + 14 <= top(v->modeSelector()));
        QVERIFY(top(v->modeContent()) + 148 <= top(v->controlSection()));
        QVERIFY(top(v->controlSection()) + v->controlSection()->height() <= 490);
        QCOMPARE(v->ringingOverlay()->geometry(), v->rect());

        v->gearButton()->click();
        QVERIFY(v->showSettings());
        const QRect gear(v->gearButton()->mapToGlobal(QPoint(0, 0)), v->gearButton()->size());
        QCOMPARE(v->settingsPopover()->pos(), SettingsPopover::placement(gear, v->screen()->availableGeometry()));
        // The menu's Settings posts: open, it stays open; closed, it opens.
        for (int round = 0; round < 2; ++round) {
            AppNotificationCenter::defaultCenter().post(AppNotificationCenter::openSettings);
            r.settle();
            QVERIFY(v->showSettings());
            v->setShowSettings(false);
            QVERIFY(!v->showSettings());
        }
        // Under the gear's right edge, inside the screen; above it when
        // there is no room below, and against the bottom when none above.
        const std::pair<QRect, QPoint> placements[] = {{QRect(600, 100, 28, 28), QPoint(628 - 300, 132)},
                                                       {QRect(10, 100, 28, 28), QPoint(0, 132)},
                                                       {QRect(600, 700, 28, 28), QPoint(328, 700 - 4 - 590)},
                                                       {QRect(600, 300, 28, 28), QPoint(328, 800 - 590)}};
        for (const auto& [anchor, expected] : placements)
            QCOMPARE(SettingsPopover::placement(anchor, QRect(0, 0, 1280, 800)), expected);
    }

    void headerAndControls_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("enabled");  // and "card" while the ringing card shows
        // Every state reached by mouse, as a user gets there.
        const auto click = [](QWidget* w) {
            QTest::mouseClick(w, Qt::LeftButton);
            ViewRig::settle();
        };
        const auto run = [click](ViewRig& r, qint64 ms) {
            click(r.view->presetGrid()->cards().at(0));
            click(r.view->controlSection()->primaryButton());
            r.clock.advance(ms);
            QTRY_COMPARE(r.timer.remainingSeconds.get(), qint64(qMax(0, 60 - int(ms / 1000))));
            r.settle();
        };
        const auto ring = [run](ViewRig& r) {
            run(r, 61'000);
            QTRY_VERIFY(r.view->ringingOverlay()->stopButton()->isVisible());
        };
        QTest::newRow("idle") << Setup([](ViewRig&) {}) << "Countdown Timer" << "primary segments gear";
        QTest::newRow("running") << Setup([run](ViewRig& r) { run(r, 2000); }) << "Counting down \u00b7 00:58"
                                 << "pause reset gear";
        QTest::newRow("paused") << Setup([run, click](ViewRig& r) {
            run(r, 5000);
            click(r.view->controlSection()->pauseButton());
        }) << "Paused \u00b7 00:55" << "primary reset gear";
        QTest::newRow("ringing") << Setup(ring) << "Time's up!" << "primary reset segments card";
        QTest::newRow("stopped") << Setup([ring, click](ViewRig& r) {
            ring(r);
            click(r.view->ringingOverlay()->stopButton());
            QTRY_VERIFY(!r.view->ringingOverlay()->isVisible());
        }) << "Countdown Timer" << "primary segments gear";
    }
    void headerAndControls()
    {
        QFETCH(Setup, setup);
        ViewRig r;
        setup(r);
        ControlSection* c = r.view->controlSection();
        QTEST(r.view->header()->text(), "title");
        QStringList enabled;
        for (const auto& [name, on] : {std::pair{"primary", c->primaryButton()->isEnabled()},
                                       std::pair{"pause", c->pauseButton()->isEnabled()},
                                       std::pair{"reset", c->resetButton()->isEnabled()},
                                       std::pair{"segments", r.view->modeSelector()->segment(TimerMode::custom)->isEnabled()},
                                       std::pair{"gear", r.view->gearButton()->isEnabled()},
                                       std::pair{"card", r.view->ringingOverlay()->isVisibleTo(r.view.get())}})
            if (on)
                enabled << QLatin1String(name);
        QTEST(enabled.join(QLatin1Char(' ')), "enabled");
        // The primary button tells start, continue and stop apart.
        const QString expected = r.timer.isRinging ? r.l10n.localized("control.stopRinging") : r.timer.startButtonTitle();
        QCOMPARE(c->primaryButton()->text(), expected);
        QCOMPARE(c->primaryButton()->tint(), r.timer.isRinging ? FlatButton::Tint::red : FlatButton::Tint::accent);
    }

    // The card offers stop alone, across its row, or shares the row with
    // restart, which starts the same countdown again. The bell pulses while
    // it rings and rests once it ends.
    void ringingCard()
    {
        for (const bool restart : {false, true}) {
            ViewRig r;
            r.timer.setShowRestartOnExpire(restart);
            r.ring();
            RingingOverlay* o = r.view->ringingOverlay();
            QTRY_VERIFY(o->stopButton()->isVisible());
            QCOMPARE(o->restartButton()->isVisible(), restart);
            QVERIFY(o->isPulsing());
            QTRY_VERIFY(o->bellScale() > 1.02);
            QVERIFY(o->bellScale() <= RingingOverlay::pulsePeak + 1e-9);
            if (restart) {
                QVERIFY(qAbs(o->stopButton()->width() - o->restartButton()->width()) <= 1);
                QTest::mouseClick(o->restartButton(), Qt::LeftButton);
                QVERIFY(!r.timer.isRinging && r.timer.isRunning);
                QCOMPARE(r.timer.totalSeconds.get(), qint64(60));
            } else {
                QCOMPARE(o->stopButton()->width(), o->cardRect().width() - 64);
                QTest::mouseClick(o->stopButton(), Qt::LeftButton);
            }
            r.settle();
            QVERIFY(!o->isPulsing());
            QCOMPARE(o->bellScale(), 1.0);
        }
    }

    // Hidden, the window does no work, not even when it rings; shown, it is
    // current at once, not a turn later.
    void hiddenWindowCatchesUpWhenShown()
    {
        for (const qint64 hiddenMs : {qint64(5'000), qint64(61'000)}) {
            ViewRig r;
            r.startPreset(1, 1'000);
            r.view->hide();
            r.clock.advance(hiddenMs);
            const bool rings = hiddenMs > 59'000;
            QTRY_COMPARE(bool(r.timer.isRinging), rings);
            QTRY_VERIFY(rings || r.timer.remainingSeconds.get() == 59 - hiddenMs / 1000);
            r.settle();
            QVERIFY(!r.view->ringingOverlay()->isPulsing());
            r.view->show();
            QCOMPARE(r.view->ring()->state(), ProgressRing::stateOf(r.timer));
            QCOMPARE(r.view->header()->text(), r.view->titleText());
            QCOMPARE(r.view->ringingOverlay()->isPulsing(), rings);
            if (rings)
                QTRY_VERIFY(r.view->ringingOverlay()->stopButton()->isVisible());
        }
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
        const auto card = [&](qint64 minutes) {
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
        QVERIFY(card(5)->isChecked() && !card(10)->isChecked());

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
        // (key, running, paused, focus after it)
        const std::tuple<int, bool, bool, QWidget*> presses[] = {
            {Qt::Key_Space, true, false, c->pauseButton()}, {Qt::Key_Space, true, true, c->primaryButton()},
            {Qt::Key_Space, true, false, c->pauseButton()}, {Qt::Key_Tab, true, false, c->resetButton()},
            {Qt::Key_Space, false, false, c->primaryButton()}};
        for (const auto& [k, running, paused, focused] : presses) {
            if (k == Qt::Key_Tab)
                walk({focused});
            else
                key(k);
            QCOMPARE(std::pair(bool(r.timer.isRunning), bool(r.timer.isPaused)), std::pair(running, paused));
            QCOMPARE(focus(), focused);
        }

        // Ringing: the card takes the keyboard (from wherever it was), Tab
        // stays on it; Space restarts the first time, Escape ends the second.
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
                key(Qt::Key_Space);
                QVERIFY(!r.timer.isRinging && r.timer.isRunning);
                QCOMPARE(focus(), c->pauseButton());
                c->resetButton()->click();
                ViewRig::settle();
                c->primaryButton()->setFocus(Qt::TabFocusReason);
            } else {
                key(Qt::Key_Escape);
                QVERIFY(!r.timer.isRinging && !r.timer.isRunning);
                QCOMPARE(focus(), c->primaryButton());
            }
        }

        // Shift+F10 asks the window for its context menu, as the menu key does.
        v->setContextMenuPolicy(Qt::CustomContextMenu);
        QSignalSpy menus(v, &QWidget::customContextMenuRequested);
        key(Qt::Key_F10, Qt::ShiftModifier);
        QCOMPARE(menus.count(), 1);
    }

    // The settings panel takes the keyboard when it opens; its choices
    // are radio groups, and the main menu's shortcuts work from it.
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
        // Past the launch switch, Tab lands on the notification group's
        // chosen row; Up moves the choice.
        for (int i = 0; i < 2; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        auto* chosen = qobject_cast<FocusButton*>(QApplication::focusWidget());
        QVERIFY(chosen && chosen->isChoice() && chosen->isChecked());
        QCOMPARE(r.timer.notificationType(), NotificationType::both);
        QTest::keyClick(chosen, Qt::Key_Up);
        QCOMPARE(r.timer.notificationType(), NotificationType::system);
        ViewRig::settle();
        auto* now = qobject_cast<FocusButton*>(QApplication::focusWidget());
        QVERIFY(now && now != chosen && now->isChecked() && !chosen->isChecked());
        auto* quit = new QAction(r.view.get());
        quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
        r.view->addAction(quit);
        QSignalSpy quits(quit, &QAction::triggered);
        QTest::keyClick(now, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(quits.count(), 1);
        QTest::keyClick(now, Qt::Key_Escape);
        QVERIFY(!pop->isOpen());
    }

    // The About window is a frame named as people know the application;
    // Escape and Ctrl+W close it, and the main menu's shortcuts (Ctrl+Q
    // among them) work from it.
    void aboutWindowKeys()
    {
        QWidget main;
        auto* quit = new QAction(&main);
        quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
        main.addAction(quit);
        QSignalSpy quits(quit, &QAction::triggered);
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
        QCOMPARE(quits.count(), 1);
        QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(&about);
        QCOMPARE(frame->role(), QAccessible::Window);
        QCOMPARE(frame->text(QAccessible::Name), QStringLiteral("About Lumora"));
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
        r.view->setPalette(dark ? darkPalette() : lightPalette());
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

    // While a countdown is paused: the same mode assigned again is no
    // change, and a language switch redraws without stopping it; another
    // mode resets it. Running, the segments are locked.
    void changesWhileCounting()
    {
        ViewRig r;
        r.startPreset(1, 3000);
        r.pause();
        r.l10n.setCurrent(AppLanguage::chinese);
        r.settle();
        QCOMPARE(r.view->header()->text(), r.l10n.localized("title.paused").arg(r.timer.formattedDisplay()));
        QCOMPARE(r.view->modeSelector()->segment(TimerMode::preset)->text(), r.l10n.localized("mode.preset"));
        r.timer.mode = TimerMode::preset;
        r.settle();
        QVERIFY(r.timer.isPaused);
        r.timer.mode = TimerMode::custom;
        r.settle();
        QVERIFY(!r.timer.isRunning && !r.timer.isPaused);
        QCOMPARE(r.view->modeContent(), static_cast<QWidget*>(r.view->customInput()));
        r.timer.customMinutes = 1;
        r.timer.start();
        r.settle();
        QTest::mouseClick(r.view->modeSelector()->segment(TimerMode::targetTime), Qt::LeftButton);
        QCOMPARE(r.timer.mode.get(), TimerMode::custom);
        QVERIFY(r.timer.isRunning);
    }
};

QTEST_MAIN(TestContentView)
#include "test_content_view.moc"
