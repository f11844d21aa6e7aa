#pragma once

#include "platform/tray_backend.h"

#include <QPointer>
#include <QMenu>

// A panel that records what it is told, for tests of the status item.
class FakeTrayBackend final : public TrayBackend {
    Q_OBJECT
public:
    explicit FakeTrayBackend(bool available = true) : available_(available) {}

    bool isAvailable() const override { return available_; }
    void show() override { shown = true; }
    void setTitle(const QString& t) override { title = t; }
    void setProgress(TrayState s, double f) override { state = s; fraction = f; }
    void setMenu(QMenu* m) override { menu = m; }

    void click(Click c) { Q_EMIT clicked(c); }

    bool shown = false;
    QString title;
    TrayState state = TrayState::idle;
    double fraction = -1;
    QPointer<QMenu> menu;

private:
    bool available_;
};
