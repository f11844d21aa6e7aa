#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QMap>
#include <QString>
#include <QVariant>

// The text of the settings file: INI as QSettings writes it, so files from
// earlier versions and hand edits keep working. It is read line by line and
// a value is only ever a string or a list of strings: the "@Variant(...)"
// forms QSettings would decode (and could overflow its stack on) are never
// decoded. A line that does not parse costs only its own key.
namespace SettingsText {
// Keys with their group ("Updater/lastCheckTime"); values are QString or QStringList.
using Values = QMap<QString, QVariant>;

struct Parsed {
    Values values;
    int damagedLines = 0;
};

Parsed parse(QByteArrayView text);
QByteArray format(const Values& values);
// What reading a value back gives: text for one value, a list for any other
// number of items (true becomes "true", ["en"] becomes "en").
QVariant normalized(const QVariant& value);
}  // namespace SettingsText
