#pragma once

#include "views/focus_button.h"
#include "views/settings_row_label.h"

// One choice of a settings group (or a plain action row): symbol, title,
// optional description and, when selected, an accent symbol and a checkmark.
// The whole row is the button; like a plain button it has no hover look.
class SettingsOptionRow final : public FocusButton {
    Q_OBJECT
public:
    explicit SettingsOptionRow(const QString& symbolName, QWidget* parent = nullptr);

    void setTexts(const QString& title, const QString& description = {});
    QString title() const { return label_.title; }
    QString description() const { return label_.description; }
    void setSelected(bool selected);
    bool isSelected() const { return selected_; }
    void setPadding(int horizontal, int vertical);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The label's part of the row: less the paddings and the checkmark's
    // place, kept free whether or not it shows so that choosing a row does
    // not re-wrap it.
    QRect labelArea(const QRect& row) const;

    SettingsRowLabel label_;
    bool selected_ = false;
    int hPadding_ = 14;
    int vPadding_ = 9;
};
