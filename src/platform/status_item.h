#pragma once

#include "platform/tray_backend.h"

#include <QMenu>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

// Lumora's item in the panel: the live title, the ring picture and the status
// menu, shown through whichever tray backend the desktop offers.
class StatusItem final : public QObject {
    Q_OBJECT
public:
    explicit StatusItem(std::unique_ptr<TrayBackend> backend, QObject* parent = nullptr);
    ~StatusItem() override;

    QString title() const { return title_; }
    void setTitle(const QString& title);
    QString titleGuide() const { return titleGuide_; }
    void setTitleGuide(const QString& guide);
    // Of the candidates, the one that takes the most room in the
    // application's font: what a guide for them should be.
    static QString widestText(const QStringList& candidates);

    void setProgress(TrayState state, double remainingFraction);

    QMenu* menu() const { return menu_.get(); }
    // Replaces the menu; the old one is deleted once control returns to the
    // event loop, as it may be the menu whose item is running right now.
    void setMenu(std::unique_ptr<QMenu> menu);

    bool isAvailable() const { return backend_->isAvailable(); }
    TrayBackend& backend() const { return *backend_; }

Q_SIGNALS:
    void clicked(TrayBackend::Click click);

private:
    std::unique_ptr<TrayBackend> backend_;
    std::unique_ptr<QMenu> menu_;
    QString title_;
    QString titleGuide_;
};
