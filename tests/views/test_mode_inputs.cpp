#include "view_rig.h"

#include "views/control_section.h"
#include "views/custom_input.h"
#include "views/custom_stepper_field.h"
#include "views/flat_button.h"
#include "views/mode_selector.h"
#include "views/number_field.h"
#include "views/progress_ring.h"
#include "views/target_time_input.h"

#include <QLabel>
#include <limits>

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

// The timer window driven by mouse and typing: its states and each mode's
// inputs.
class TestModeInputs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every state reached by mouse, as a user gets there.
    void windowStates_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("shown");  // controls enabled, a red primary, the ringing card's parts
        const QString run = QStringLiteral("preset.1 control.primary ");
        const QString paused = run + QStringLiteral("+5000 control.pause ");
        const QString rang = QStringLiteral("restart=1 ") + run + QStringLiteral("+61000 ");
        const QString ringing = QStringLiteral("primary reset segments red card pulse");
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
        // Hidden, the window does no work; shown again, it is current at
        // once, not a turn later.
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
                                       std::pair{"red", c->primaryButton()->tint() == FlatButton::Tint::red},
                                       std::pair{"card", o->isVisibleTo(r.view.get())}, std::pair{"pulse", o->isPulsing()},
                                       std::pair{"restart", o->restartButton()->isVisibleTo(r.view.get())}})
            if (on)
                shown << QLatin1String(name);
        QTEST(shown.join(QLatin1Char(' ')), "shown");
        if (steps.contains(QLatin1String("preset.60")))
            QCOMPARE(r.timer.selectedPresetMinutes.get(), qint64(60));
        // The primary button tells start, continue and stop apart.
        QCOMPARE(c->primaryButton()->text(),
                 r.timer.isRinging ? r.l10n.localized("control.stopRinging") : r.timer.startButtonTitle());
        // The bell pulses within its peak, and rests once the ringing ends.
        QTRY_VERIFY(o->isPulsing() ? o->bellScale() > 1.02 : o->bellScale() == 1.0);
        QVERIFY(o->bellScale() <= RingingOverlay::pulsePeak + 1e-9);
    }

    // Minus and plus step by one within 0...999 minutes and 0...59 seconds
    // and are off at the ends; a typed value beyond steps back in only. The
    // chips add up to 999:59 without carrying seconds over, never
    // overflowing. Running or paused, none of it can be changed.
    void customInput()
    {
        ViewRig r;
        r.play(QStringLiteral("mode=custom"));
        CustomInput* c = r.view->customInput();
        const QMap<QString, FlatButton*> buttons{
            {QStringLiteral("m-"), c->minutesField()->minusButton()}, {QStringLiteral("m+"), c->minutesField()->plusButton()},
            {QStringLiteral("s-"), c->secondsField()->minusButton()}, {QStringLiteral("s+"), c->secondsField()->plusButton()},
            {QStringLiteral("1min"), c->chip(0)}, {QStringLiteral("5min"), c->chip(1)}, {QStringLiteral("30s"), c->chip(2)}};
        // (minutes:seconds, steppers enabled, button pressed, minutes:seconds after)
        const std::tuple<const char*, const char*, const char*, const char*> steps[] = {
            {"0:30", "m+ s+ s-", "m+", "1:30"},       {"999:59", "m- s-", "m-", "998:59"},
            {"1500:0", "m- s+", "m-", "1499:0"},      {"-5:30", "m+ s+ s-", "m+", "-4:30"},
            {"1:30", "m+ m- s+ s-", "s+", "1:31"},    {"0:0", "m+ s+", "1min", "1:0"},
            {"997:10", "m+ m- s+ s-", "5min", "999:10"}, {"2:45", "m+ m- s+ s-", "30s", "2:59"},
            {"1500:0", "m- s+", "30s", "999:30"},     {"-5:-100", "m+ s+", "30s", "-5:-70"},
            {"9223372036854775807:9223372036854775807", "m- s-", "5min", "999:59"}};
        for (const auto& [before, on, press, after] : steps) {
            r.play(QStringLiteral("custom=") + QLatin1String(before));
            QStringList enabled;
            for (auto b = buttons.begin(); b != buttons.end(); ++b)
                if (b.key().size() == 2 && b.value()->isEnabled())
                    enabled << b.key();
            QCOMPARE(enabled.join(QLatin1Char(' ')), QLatin1String(on));
            QTest::mouseClick(buttons[QLatin1String(press)], Qt::LeftButton);
            QCOMPARE(QStringLiteral("%1:%2").arg(r.timer.customMinutes.get()).arg(r.timer.customSeconds.get()),
                     QLatin1String(after));
        }

        // What is typed is stored as it goes, out of range included; what is
        // not a whole number is refused, and an emptied field shows the value
        // again once left. However long, the number is drawn whole. The
        // user's locale may group digits anywhere.
        NumberField* f = c->minutesField()->field();
        f->setLocale(QLocale::c());
        // (typed, stored, shown once the field is left)
        const std::tuple<const char*, qint64, const char*> typing[] = {
            {"25", 25, "25"}, {"1500", 1500, "1500"}, {"-5", -5, "-5"}, {"abc", 7, "7"}, {"2.5", 25, "25"}, {"", 7, "7"},
            {"12345678901234567890", 1234567890123456789, "1234567890123456789"},
            {"-9223372036854775808", std::numeric_limits<qint64>::min(), "-9223372036854775808"}};
        for (const auto& [typed, stored, shown] : typing) {
            r.play(QStringLiteral("custom=7:0"));
            retype(f, typed);
            QCOMPARE(r.timer.customMinutes.get(), stored);
            f->clearFocus();
            Q_EMIT f->editingFinished();
            r.settle();
            QCOMPARE(f->text(), QString::fromLatin1(shown));
            QVERIFY(f->showsWholeText());
        }
        for (const auto& [locale, text, value] :
             {std::tuple{"en_US", "1,500", 1500}, std::tuple{"de_DE", "1.500", 1500}, std::tuple{"en_US", "1,50", 150}})
            QCOMPARE(NumberField::parse(QString::fromLatin1(text), QLocale(QString::fromLatin1(locale))), std::optional<qint64>(value));

        r.play(QStringLiteral("custom=5:0 control.primary control.pause"));
        for (QWidget* w : c->findChildren<QWidget*>())
            QVERIFY2(!w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus), qPrintable(w->objectName()));
    }

    // Until Time, the fake clock at 10:00:00: the same time is tomorrow, an
    // hour beyond the clock counts as 23, an emptied box as the 0 its
    // placeholder shows. Idle, the length and the read-out follow the clock;
    // counting, the fields lock and the length is what is left.
    void targetLength()
    {
        ViewRig r;
        r.play(QStringLiteral("mode=targetTime"));
        TargetTimeInput* t = r.view->targetTimeInput();
        // (hour and minute typed, or else the clock moved by ms; length shown)
        const std::tuple<const char*, const char*, int, const char*> steps[] = {
            {"10", "30", 0, "30min 0s"},     {"10", "0", 0, "24h 0min 0s"},           {"25", "59", 0, "13h 59min 0s"},
            {"25", "", 0, "13h 0min 0s"},    {nullptr, nullptr, 5000, "12h 59min 55s"}, {nullptr, nullptr, 20'000, "12h 59min 35s"},
            {"10", "1", 0, "35s"}};
        for (const auto& [hour, minute, ms, length] : steps) {
            if (hour) {
                retype(t->hourField(), hour);
                retype(t->minuteField(), minute);
            }
            r.clock.advance(ms);
            QTRY_COMPARE(t->lengthText(), QString::fromLatin1(length));
            QCOMPARE(r.view->ring()->state().display, r.timer.formattedDisplay());
        }
        r.play(QStringLiteral("control.primary +5000"));
        QCOMPARE(t->lengthText(), QStringLiteral("30s"));
        QVERIFY(!t->hourField()->isEnabled() && !t->isRefreshing());
    }
};

QTEST_MAIN(TestModeInputs)
#include "test_mode_inputs.moc"
