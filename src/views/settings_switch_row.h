#pragma once

#include "views/settings_row_label.h"

#include <QWidget>

class SwitchToggle;

// A settings row with a switch at its end. A click anywhere on the row flips
// the switch, as on other desktop settings pages.
class SettingsSwitchRow final : public QWidget {
    Q_OBJECT
public:
    static constexpr int hPadding = 16;
    static constexpr int vPadding = 10;

    explicit SettingsSwitchRow(const QString& symbolName, QWidget* parent = nullptr);

    void setTexts(const QString& title, const QString& description = {});
    QString title() const { return label_.title; }
    QString description() const { return label_.description; }
    SwitchToggle* toggle() const { return toggle_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    SettingsRowLabel label_;
    SwitchToggle* toggle_;
};
