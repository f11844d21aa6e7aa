#pragma once

#include <QPixmap>
#include <QVariantAnimation>
#include <QWidget>

class FlatButton;
class LocalizationManager;
class TimerManager;

// Covers the window while the alarm rings: a dimmed backdrop and a card
// with a pulsing bell, the title, the subtitle, stop and (when the user
// wants it) restart. It fades and grows in from 0.95 over 0.3 s.
class RingingOverlay final : public QWidget {
    Q_OBJECT
public:
    static constexpr int transitionMs = 300;
    static constexpr int pulseHalfMs = 600;
    static constexpr double pulsePeak = 1.12;

    RingingOverlay(TimerManager& timer, LocalizationManager& l10n, QWidget* parent = nullptr);

    void sync();

    // The button Space, Enter and the first focus go to: restart when it is
    // offered, else stop.
    FlatButton* defaultButton() const;
    // Gives the keyboard to the card: its default button, or the card
    // itself until the buttons join at the end of the transition.
    void takeFocus(Qt::FocusReason reason);
    // The card's buttons that can take the focus now, in Tab order.
    QList<FlatButton*> focusableButtons() const;

    FlatButton* stopButton() const { return stop_; }
    FlatButton* restartButton() const { return restart_; }
    double bellScale() const { return bellScale_; }
    bool isPulsing() const { return pulse_.state() == QAbstractAnimation::Running; }
    QRect cardRect() const { return card_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void setShown(bool shown);
    void finishTransition();
    void announce();
    void layoutCard();
    void paintContent(QPainter& p);
    QRectF bellRect() const;

    TimerManager& timer_;
    LocalizationManager& l10n_;
    FlatButton* restart_;
    FlatButton* stop_;
    QString title_;
    QString subtitle_;
    QRect card_;
    double bellScale_ = 1.0;
    bool shown_ = false;
    Qt::FocusReason focusReason_ = Qt::OtherFocusReason;
    double fade_ = 0;
    QPixmap snapshot_;
    QVariantAnimation transition_;
    QVariantAnimation pulse_;
};
