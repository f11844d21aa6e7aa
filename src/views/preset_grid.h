#pragma once

#include <QWidget>
#include <vector>

class FlatButton;
class LocalizationManager;
class TimerManager;

// The preset cards, three to a row; a last row with one card gives it the
// whole width. A card only selects its minutes: it never starts anything,
// so it stays usable while a countdown runs.
class PresetGrid final : public QWidget {
    Q_OBJECT
public:
    static constexpr int columns = 3;
    static constexpr int cardHeight = 30;

    PresetGrid(TimerManager& timer, LocalizationManager& l10n, QWidget* parent = nullptr);

    void sync();
    const std::vector<FlatButton*>& cards() const { return cards_; }
    int rowCount() const { return rows_; }

protected:
    // Under the chosen card: its accent shadow, which reaches beyond it.
    void paintEvent(QPaintEvent* event) override;

private:
    TimerManager& timer_;
    LocalizationManager& l10n_;
    std::vector<FlatButton*> cards_;
    int rows_ = 0;
};
