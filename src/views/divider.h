#pragma once

#include <QWidget>

// A hairline between rows, optionally starting `indent` pixels in.
class Divider final : public QWidget {
    Q_OBJECT
public:
    explicit Divider(int indent = 0, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int indent_;
};
