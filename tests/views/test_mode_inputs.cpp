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

#include <QLabel>
#include <QScreen>
#include <limits>
#include <tuple>

namespace {
// Types `text` over what the field holds, as a user does.
void retype(NumberField* f, const char* text)
{
    f->setFocus();
    f->selectAll();
    QTest::keyClick(f, Qt::Key_Backspace);
    QTest::keyClicks(f, QString::fromLatin1(text));
}
}  // namespace

// The timer window driven by mouse and typing: its states, the settings
// popover and each mode's inputs.
class TestModeInputs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every state reached by mouse, as a user gets there.
    void windowStates_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("shown");  // controls enabled, then the ringing card's parts
        const QString run = QStringLiteral("preset.1 control.primary ");
        const QString paused = run + QStringLiteral("+5000 control.pause ");
        const QString rang = QStringLiteral("restart=1 ") + run + QStringLiteral("+61000 ");
        const QString ringing = QStringLiteral("primary reset segments card pulse");
        QTest::newRow("idle") << QString() << "Countdown Timer" << "primary segments gear";
        QTest::newRow("running") << run + "+2000" << "Counting down \u00b7 00:58" << "pause reset gear";
        // A card only selects, so one chosen while counting leaves it alone.
        QTest::newRow("card chosen while running") << run + "+2000 preset.60" << "Counting down \u00b7 00:58"
                                                   << "pause reset gear";
        QTest::newRow("paused") << paused << "Paused \u00b7 00:55" << "primary reset gear";
        // The same mode again is no change; another resets.
        QTest::newRow("paused, same mode") << paused + "mode=preset" << "Paused \u00b7 00:55" << "primary reset gear";
        QTest::newRow("paused, other mode") << paused + "mode=custom" << "Countdown Timer" << "primary segments gear";
        QTest::newRow("paused, language switched") << paused + "zh" << "\u5df2\u6682\u505c \u00b7 00:55"
                                                   << "primary reset gear";
        QTest::newRow("ringing") << "restart=0 " + run + "+61000" << "Time's up!" << ringing;
        QTest::newRow("ringing, restart offered") << rang << "Time's up!" << ringing + " restart";
        QTest::newRow("stopped") << rang + "ring.stop" << "Countdown Timer" << "primary segments gear";
        QTest::newRow("restarted") << rang + "ring.restart" << "Counting down \u00b7 01:00" << "pause reset gear";
        // Shown again, the window is current at once, not a turn later.
        QTest::newRow("hidden while counting") << run + "+1000 hide +5000 show" << "Counting down \u00b7 00:54"
                                               << "pause reset gear";
        QTest::newRow("hidden as it rang") << run + "+1000 hide +60000 show" << "Time's up!" << ringing + " restart";
    }
    void windowStates()
    {
        QFETCH(QString, steps);
        ViewRig r;
        r.play(steps);
        ControlSection* c = r.view->controlSection();
        RingingOverlay* o = r.view->ringingOverlay();
        QTEST(r.view->header()->text(), "title");
        QCOMPARE(r.view->ring()->state(), ProgressRing::stateOf(r.timer));
        // The card's entrance and exit run their course.
        QTRY_VERIFY(r.timer.isRinging ? o->stopButton()->isVisible() : !o->isVisible());
        QStringList shown;
        for (const auto& [name, on] : {std::pair{"primary", c->primaryButton()->isEnabled()},
                                       std::pair{"pause", c->pauseButton()->isEnabled()},
                                       std::pair{"reset", c->resetButton()->isEnabled()},
                                       std::pair{"segments", r.view->modeSelector()->segment(TimerMode::custom)->isEnabled()},
                                       std::pair{"gear", r.view->gearButton()->isEnabled()},
                                       std::pair{"card", o->isVisibleTo(r.view.get())}, std::pair{"pulse", o->isPulsing()},
                                       std::pair{"restart", o->restartButton()->isVisibleTo(r.view.get())}})
            if (on)
                shown << QLatin1String(name);
        QTEST(shown.join(QLatin1Char(' ')), "shown");
        if (steps.contains(QLatin1String("preset.60")))
            QCOMPARE(r.timer.selectedPresetMinutes.get(), qint64(60));
        // The primary button tells start, continue and stop apart.
        const QString expected = r.timer.isRinging ? r.l10n.localized("control.stopRinging") : r.timer.startButtonTitle();
        QCOMPARE(c->primaryButton()->text(), expected);
        QCOMPARE(c->primaryButton()->tint(), r.timer.isRinging ? FlatButton::Tint::red : FlatButton::Tint::accent);
        // The bell pulses within its peak, and rests once the ringing ends.
        QTRY_VERIFY(o->isPulsing() ? o->bellScale() > 1.02 : o->bellScale() == 1.0);
        QVERIFY(o->bellScale() <= RingingOverlay::pulsePeak + 1e-9);
    }

    // The gear opens the settings under itself, kept on screen; the menu's
    // Settings opens them too, and leaves them open when they are.
    void settingsPopover()
    {
        ViewRig r;
        ContentView* v = r.view.get();
        v->gearButton()->click();
        const QRect gear(v->gearButton()->mapToGlobal(QPoint(0, 0)), v->gearButton()->size());
        QCOMPARE(v->settingsPopover()->pos(), SettingsPopover::placement(gear, v->screen()->availableGeometry()));
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

    // The chips add to what is there, up to 999:59 and without carrying
    // seconds over; a typed value out of range is pulled in, never overflowed.
    void chips()
    {
        ViewRig r;
        r.timer.mode = TimerMode::custom;
        const qint64 max = std::numeric_limits<qint64>::max();
        // (minutes, seconds, chip, minutes and seconds after)
        const std::tuple<qint64, qint64, int, qint64, qint64> rows[] = {
            {0, 0, 0, 1, 0},       {997, 10, 1, 999, 10},  {2, 45, 2, 2, 59},
            {1500, 0, 2, 999, 30}, {max, max, 1, 999, 59}, {-5, -100, 2, -5, -70}};
        for (const auto& [minutes, seconds, chip, afterMinutes, afterSeconds] : rows) {
            r.timer.customMinutes = minutes;
            r.timer.customSeconds = seconds;
            r.settle();
            QTest::mouseClick(r.view->customInput()->chip(chip), Qt::LeftButton);
            QCOMPARE(std::pair(r.timer.customMinutes.get(), r.timer.customSeconds.get()), std::pair(afterMinutes, afterSeconds));
        }
    }

    // Minus and plus step by one within 0...999 minutes and 0...59 seconds,
    // and are off at the ends; a typed value beyond steps back in only.
    void steppers()
    {
        ViewRig r;
        r.timer.mode = TimerMode::custom;
        CustomInput* c = r.view->customInput();
        // (minutes field, value, minus and plus enabled, value after each)
        const std::tuple<bool, qint64, bool, bool, qint64, qint64> rows[] = {
            {true, 0, false, true, 0, 1},   {true, 999, true, false, 998, 999}, {true, 1500, true, false, 1499, 1500},
            {true, -5, false, true, -5, -4}, {false, 59, true, false, 58, 59},  {false, 30, true, true, 29, 31}};
        for (const auto& [minutes, value, minus, plus, afterMinus, afterPlus] : rows) {
            auto& prop = minutes ? r.timer.customMinutes : r.timer.customSeconds;
            CustomStepperField* f = minutes ? c->minutesField() : c->secondsField();
            for (FlatButton* b : {f->minusButton(), f->plusButton()}) {
                prop = value;
                r.settle();
                QCOMPARE(std::pair(f->minusButton()->isEnabled(), f->plusButton()->isEnabled()), std::pair(minus, plus));
                b->click();
                QCOMPARE(prop.get(), b == f->minusButton() ? afterMinus : afterPlus);
            }
        }
        // Running or paused, none of it can be changed.
        r.timer.customMinutes = 5;
        r.timer.start();
        r.timer.pause();
        r.settle();
        for (QWidget* w : c->findChildren<QWidget*>())
            QVERIFY2(!w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus), qPrintable(w->objectName()));
    }

    // What is typed is stored as it goes, out of range included; what is
    // not a whole number is refused, and an emptied field shows the value
    // again once left. However long, the number is drawn whole.
    void typing()
    {
        ViewRig r;
        r.timer.mode = TimerMode::custom;
        r.settle();
        NumberField* f = r.view->customInput()->minutesField()->field();
        f->setLocale(QLocale::c());
        // (typed, stored, shown once the field is left)
        const std::tuple<const char*, qint64, const char*> rows[] = {
            {"25", 25, "25"}, {"1500", 1500, "1500"}, {"-5", -5, "-5"}, {"abc", 7, "7"}, {"2.5", 25, "25"},
            {"12345678901234567890", 1234567890123456789, "1234567890123456789"}, {"", 7, "7"}};
        for (const auto& [typed, stored, shown] : rows) {
            r.timer.customMinutes = 7;
            r.settle();
            retype(f, typed);
            QCOMPARE(r.timer.customMinutes.get(), stored);
            f->clearFocus();
            Q_EMIT f->editingFinished();
            r.settle();
            QCOMPARE(f->text(), QString::fromLatin1(shown));
            QVERIFY(f->showsWholeText());
        }
    }

    // Whole numbers in the user's locale, its grouping allowed anywhere.
    void parseInLocale()
    {
        // (locale, text, value)
        const std::tuple<const char*, const char*, std::optional<qint64>> rows[] = {
            {"en_US", "1,500", 1500}, {"de_DE", "1.500", 1500}, {"en_US", "1,50", 150},
            {"en_US", "99999999999999999999", std::nullopt}, {"C", "-9223372036854775808", std::numeric_limits<qint64>::min()},
            {"C", "  42 ", 42}, {"C", "4x", std::nullopt}};
        for (const auto& [locale, text, value] : rows)
            QVERIFY2(NumberField::parse(QString::fromLatin1(text), QLocale(QString::fromLatin1(locale))) == value, text);
    }

    // Until Time, the fake clock at 10:00:00: the same time is tomorrow, an
    // hour beyond the clock counts as 23, an emptied box as the 0 its
    // placeholder shows. Idle, the length and the read-out follow the clock;
    // counting, the fields lock and the length is what is left.
    void targetLength()
    {
        ViewRig r;
        r.timer.mode = TimerMode::targetTime;
        r.settle();
        TargetTimeInput* t = r.view->targetTimeInput();
        const auto type = [&](const char* hour, const char* minute) {
            retype(t->hourField(), hour);
            retype(t->minuteField(), minute);
            r.settle();
        };
        // (hour, minute, length shown)
        const std::tuple<const char*, const char*, const char*> steps[] = {
            {"10", "30", "30min 0s"}, {"10", "0", "24h 0min 0s"}, {"25", "59", "13h 59min 0s"}, {"25", "", "13h 0min 0s"}};
        for (const auto& [hour, minute, length] : steps) {
            type(hour, minute);
            QCOMPARE(t->lengthText(), QString::fromLatin1(length));
        }
        QCOMPARE(std::pair(r.timer.targetHour.get(), r.timer.targetMinute.get()), std::pair(qint64(25), qint64(0)));
        QVERIFY(t->minuteField()->text().isEmpty());
        for (const auto& [ms, length, display] :
             {std::tuple{5000, "12h 59min 55s", "12:59:55"}, std::tuple{20'000, "12h 59min 35s", "12:59:35"}}) {
            r.clock.advance(ms);
            QTRY_COMPARE(t->lengthText(), QString::fromLatin1(length));
            QCOMPARE(r.view->ring()->state().display, QString::fromLatin1(display));
        }
        type("10", "1");
        r.timer.start();
        r.clock.advance(5000);
        QTRY_COMPARE(t->lengthText(), QStringLiteral("30s"));
        QVERIFY(!t->hourField()->isEnabled() && !t->isRefreshing());
    }
};

QTEST_MAIN(TestModeInputs)
#include "test_mode_inputs.moc"
