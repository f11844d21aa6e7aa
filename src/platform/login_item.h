#pragma once

#include <QObject>
#include <QString>
#include <functional>

// Whether Lumora starts when the user logs in. A request either succeeds or
// fails with a readable description of why.
class LoginItem : public QObject {
    Q_OBJECT
public:
    // Called once with an empty text on success, otherwise with the error.
    using Done = std::function<void(const QString& error)>;

    using QObject::QObject;

    // Registers (`on`) or unregisters the login item. `done` may run before
    // this returns or later, on the main thread.
    virtual void setRegistered(bool on, Done done) = 0;

    // The mechanism of this session: the background portal inside a sandbox,
    // otherwise an XDG autostart entry. Lives as long as the application.
    static LoginItem& shared();
};
