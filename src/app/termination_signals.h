#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

// Turns SIGTERM, SIGINT and SIGHUP (logout, a service manager stopping the
// session, Ctrl+C) into a Qt signal on the main thread, so Lumora leaves
// through its event loop instead of dying mid-write. One instance per process.
class TerminationSignals final : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    bool isInstalled() const { return notifier_ != nullptr; }

Q_SIGNALS:
    void received(int signalNumber);

private:
    void drain();

    std::unique_ptr<QSocketNotifier> notifier_;
};
