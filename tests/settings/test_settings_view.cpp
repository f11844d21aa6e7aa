#include "settings_rig.h"

#include "views/flat_button.h"

#include <QImage>
#include <QLabel>

class TestSettingsView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each case starts on the light platform palette a theme falls back to.
    void init() { QApplication::setPalette(lightPalette()); }

    void panel_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<AppLanguage>("language");
        for (bool dark : {false, true})
            for (AppLanguage lang : {AppLanguage::english, AppLanguage::chinese})
                QTest::addRow("%s-%s", dark ? "dark" : "light", qPrintable(rawValue(lang))) << dark << lang;
    }
    // Opened in the other language and switched live, so every text is
    // redrawn and fitted again: the rows in order inside the panel, each as
    // tall as its wrapped text needs, the closing space kept. Drawn (and
    // saved for review) on the stored theme's ground, the chosen row's
    // checkmark in the accent colour.
    void panel()
    {
        QFETCH(bool, dark);
        QFETCH(AppLanguage, language);
        SettingsRig r(language == AppLanguage::english ? AppLanguage::chinese : AppLanguage::english);
        r.timer.setAppTheme(dark ? AppTheme::dark : AppTheme::light);
        r.open();
        r.l10n.setCurrent(language);
        QTRY_COMPARE(r.view->titleLabel()->text(), r.l10n.localized(QStringLiteral("settings.title")));
        QCOMPARE(r.view->notificationRows()[0]->title(), r.l10n.localized(QStringLiteral("notify.desktop")));
        r.settle();
        SettingsView& v = *r.view;
        const auto inView = [&v](QWidget* w) { return QRect(w->mapTo(&v, QPoint()), w->size()); };
        const auto& n = v.notificationRows();
        const auto& t = v.themeRows();
        int lastBottom = 0;
        for (QWidget* w : std::initializer_list<QWidget*>{v.closeButton(), v.launchRow(), n[0], n[1], n[2], v.bringToFrontRow(),
                                                          v.restartRow(), t[0], t[1], t[2], v.updateRow()}) {
            const QRect at = inView(w);
            QVERIFY2(v.rect().contains(at) && at.top() >= lastBottom && w->height() >= w->heightForWidth(w->width()),
                     qPrintable(w->metaObject()->className()));
            lastBottom = at.bottom();
        }
        QVERIFY(lastBottom < SettingsView::height - 16);

        const QImage image = v.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        const QString file = QStringLiteral("%1/settings-%2.png").arg(testOutputDir(), QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(image.save(file));
        QCOMPARE(QColor(image.pixel(150, 3)).lightness() < 128, dark);
        const QRect chosen = inView(n[int(NotificationType::both)]);
        bool accentSeen = false;
        for (int x = chosen.right() - 30; x < chosen.right(); ++x)
            for (int y = chosen.top(); y < chosen.bottom(); ++y)
                accentSeen = accentSeen || image.pixelColor(x, y).hsvSaturationF() > 0.5f;
        QVERIFY2(accentSeen, qPrintable(file));
        // Title and description stand apart in every script: blank pixel rows
        // between their glyphs (Chinese glyphs fill more of their line).
        for (QWidget* row : std::initializer_list<QWidget*>{v.bringToFrontRow(), n[1]}) {
            const QRect text = inView(row).adjusted(44, 0, -80, 0);
            const int ground = image.pixelColor(text.topLeft()).lightness();
            QList<bool> inked;
            for (int y = text.top(); y <= text.bottom(); ++y) {
                bool ink = false;
                for (int x = text.left(); x <= text.right() && !ink; ++x)
                    ink = std::abs(image.pixelColor(x, y).lightness() - ground) > 40;
                inked << ink;
            }
            const int titleEnd = int(inked.indexOf(false, inked.indexOf(true)));
            const int gap = int(inked.indexOf(true, titleEnd)) - titleEnd;
            QVERIFY2(inked.indexOf(true) >= 0 && gap >= (language == AppLanguage::chinese ? 4 : 2),
                     qPrintable(QStringLiteral("%1: %2 px").arg(file).arg(gap)));
        }
    }

    // Only a switch acts on its row: clicks on the row's text or beside the
    // switch, or the pointer over an option row, change nothing; close
    // dismisses and the update row checks, neither writing. Then each
    // control, by mouse or keyboard, writes its setting as a new process
    // reads it, shows it chosen and, a theme row, puts it in force at once.
    void controls()
    {
        SettingsRig r;
        QVERIFY(QTest::qWaitForWindowExposed(r.view.get()));
        const QByteArray before = readFile(r.home.settingsFile());
        // One click each, so that two flips cannot hide each other.
        QTest::mouseClick(r.view->launchRow(), Qt::LeftButton, {}, QPoint(60, 20));
        QTest::mouseClick(r.view->bringToFrontRow(), Qt::LeftButton, {}, QPoint(240, 20));
        r.settle();
        QVERIFY(!r.view->launchRow()->toggle()->isChecked() && r.view->bringToFrontRow()->toggle()->isChecked());
        SettingsOptionRow* hovered = r.view->themeRows()[2];
        const QImage look = hovered->grab().toImage();
        QTest::mouseMove(hovered, hovered->rect().center());
        QTRY_VERIFY(hovered->underMouse());
        QCOMPARE(hovered->grab().toImage(), look);
        QTest::mouseClick(r.view->closeButton(), Qt::LeftButton);
        QTest::mouseClick(r.view->updateRow(), Qt::LeftButton);
        QCOMPARE(std::pair(r.dismissed, r.updateChecks), std::pair(1, 1));
        QCOMPARE(readFile(r.home.settingsFile()), before);

        const auto written = [&r](const QString& key, const char* value) {
            r.settle();
            QCOMPARE(r.home.openStore()->readString(key, {}), QString::fromLatin1(value));
            // Exactly one row of each group chosen, the one the settings hold.
            for (int i = 0; i < 3; ++i) {
                QCOMPARE(r.view->notificationRows()[i]->isSelected(), i == int(r.timer.notificationType()));
                QCOMPARE(r.view->themeRows()[i]->isSelected(), i == int(r.timer.appTheme()));
            }
            QCOMPARE(r.theme.isDark(), r.timer.appTheme() == AppTheme::dark);
        };
        const char* const notices[] = {"desktop", "system", "both"};
        const char* const themes[] = {"light", "dark", "system"};
        for (int i = 0; i < 3; ++i) {
            QTest::mouseClick(r.view->notificationRows()[i], Qt::LeftButton);
            written(TimerManager::notificationTypeKey, notices[i]);
            QTest::mouseClick(r.view->themeRows()[i], Qt::LeftButton);
            written(TimerManager::appThemeKey, themes[i]);
        }
        QTest::mouseClick(r.view->bringToFrontRow()->toggle(), Qt::LeftButton);
        written(TimerManager::bringToFrontOnExpireKey, "false");
        r.view->restartRow()->toggle()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(r.view->restartRow()->toggle(), Qt::Key_Space);
        written(TimerManager::showRestartOnExpireKey, "false");
        QTest::mouseClick(r.view->launchRow()->toggle(), Qt::LeftButton);
        written(TimerManager::launchAtLoginKey, "true");
        // A value the panel does not know shows the default chosen.
        r.store->write(TimerManager::notificationTypeKey, QStringLiteral("loud"));
        r.store->write(TimerManager::appThemeKey, QStringLiteral("sepia"));
        r.open();
        written(TimerManager::appThemeKey, "sepia");
        QCOMPARE(r.dismissed, 1);
    }
};

QTEST_MAIN(TestSettingsView)
#include "test_settings_view.moc"
