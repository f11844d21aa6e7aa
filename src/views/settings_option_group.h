#pragma once

#include <QList>
#include <QWidget>

class QVBoxLayout;
class SettingsOptionRow;

// The rows of one choice on a soft rounded background, a hairline under
// every row but the last.
class SettingsOptionGroup final : public QWidget {
    Q_OBJECT
public:
    static constexpr int dividerIndent = 42;

    explicit SettingsOptionGroup(QWidget* parent = nullptr);

    SettingsOptionRow* addOption(const QString& symbolName);
    const QList<SettingsOptionRow*>& rows() const { return rows_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVBoxLayout* column_;
    QList<SettingsOptionRow*> rows_;
};
