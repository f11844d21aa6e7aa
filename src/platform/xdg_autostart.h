#pragma once

#include "platform/login_item.h"

// The login item as an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/lumora.desktop, pointing at this executable.
class XdgAutostart final : public LoginItem {
    Q_OBJECT
public:
    // `program` is what the entry starts; by default this executable.
    explicit XdgAutostart(QString program = {}, QObject* parent = nullptr);

    void setRegistered(bool on, Done done) override;

    // Where the entry lives for the current environment.
    static QString entryPath();
    // The whole entry for `program`, or an empty text when the path cannot
    // be written into a desktop entry.
    static QByteArray entryFor(const QString& program);

private:
    QString write() const;
    QString remove() const;

    QString program_;
};
