#include "platform/defaults_store.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

DefaultsStore::DefaultsStore(const QString& filePath)
    : settings_(std::make_unique<QSettings>(filePath, QSettings::IniFormat))
{
}

QString DefaultsStore::defaultPath()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/lumora/lumora.conf");
}

DefaultsStore& DefaultsStore::shared()
{
    static DefaultsStore store(defaultPath());
    return store;
}

QString DefaultsStore::filePath() const
{
    return settings_->fileName();
}

bool DefaultsStore::contains(const QString& key) const
{
    return settings_->contains(key);
}

bool DefaultsStore::readBool(const QString& key, bool fallback) const
{
    const QVariant v = settings_->value(key);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    if (v.typeId() == QMetaType::QString) {
        // Read back from the file every value is text.
        const QString s = v.toString();
        if (s == QLatin1String("true"))
            return true;
        if (s == QLatin1String("false"))
            return false;
    }
    return fallback;
}

QString DefaultsStore::readString(const QString& key, const QString& fallback) const
{
    const QVariant v = settings_->value(key);
    if (v.typeId() == QMetaType::QString)
        return v.toString();
    return fallback;
}

QStringList DefaultsStore::readStringList(const QString& key) const
{
    const QVariant v = settings_->value(key);
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList();
    if (v.typeId() == QMetaType::QString)
        return {v.toString()};
    return {};
}

qint64 DefaultsStore::readInt(const QString& key, qint64 fallback) const
{
    const QVariant v = settings_->value(key);
    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int)
        return v.toLongLong();
    if (v.typeId() == QMetaType::QString) {
        bool ok = false;
        const qint64 n = v.toString().toLongLong(&ok);
        if (ok)
            return n;
    }
    return fallback;
}

bool DefaultsStore::write(const QString& key, const QVariant& value)
{
    settings_->setValue(key, value);
    return flush();
}

bool DefaultsStore::remove(const QString& key)
{
    settings_->remove(key);
    return flush();
}

bool DefaultsStore::flush()
{
    // Create the folder first: QSettings does so too, but a failure there
    // would otherwise only surface as an opaque AccessError.
    QDir().mkpath(QFileInfo(settings_->fileName()).absolutePath());
    settings_->sync();
    return settings_->status() != QSettings::AccessError;
}
