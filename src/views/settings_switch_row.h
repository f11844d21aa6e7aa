#pragma once

#include "views/settings_row_label.h"

#include <QWidget>

class SwitchToggle;

// A settings row with a switch at its end. Only the switch acts: a click
// beside it, on the row's text, changes nothing.
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
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect labelArea(const QRect& row) const;

    SettingsRowLabel label_;
    SwitchToggle* toggle_;
};
