#pragma once

#include <QString>
#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;

// The content of the About window: icon, name, version line, a short
// description and the button that dismisses it.
class AboutView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int width = 340;
    static constexpr int height = 420;
    static constexpr int iconSize = 80;

    AboutView(QString appName, QString version, QString detail, QString okTitle,
              std::function<void()> onDismiss, QWidget* parent = nullptr);

    const QString appName;
    const QString version;
    const QString detail;
    const QString okTitle;

    // Whether the application has an icon to show above the name.
    bool showsIcon() const { return icon_ != nullptr; }
    QPushButton* okButton() const { return ok_; }

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void applySecondaryColour();

    std::function<void()> onDismiss_;
    QLabel* icon_ = nullptr;
    QLabel* versionLabel_ = nullptr;
    QLabel* detailLabel_ = nullptr;
    QPushButton* ok_ = nullptr;
};
