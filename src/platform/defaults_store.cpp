#include "platform/defaults_store.h"

#include <QDir>
#include <QLoggingCategory>
#include <QStandardPaths>

namespace {
Q_LOGGING_CATEGORY(lcSettings, "lumora.settings", QtInfoMsg)

void applyChanges(const QMap<QString, std::optional<QVariant>>& changes, SettingsText::Values& values)
{
    for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
        if (it->has_value())
            values.insert(it.key(), **it);
        else
            values.remove(it.key());
    }
}
}  // namespace

DefaultsStore::DefaultsStore(const QString& filePath) : file_(filePath)
{
    if (load())
        values_ = *onDisk_;
}

DefaultsStore::~DefaultsStore()
{
    commitHeldWrites();
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
    return file_.path();
}

bool DefaultsStore::contains(const QString& key) const
{
    return value(key).isValid();
}

QVariant DefaultsStore::value(const QString& key) const
{
    if (held_) {
        const auto it = held_->constFind(key);
        if (it != held_->cend())
            return it->value_or(QVariant());
    }
    return values_.value(key);
}

bool DefaultsStore::readBool(const QString& key, bool fallback) const
{
    const QString s = readString(key, {});
    if (s == QLatin1String("true"))
        return true;
    if (s == QLatin1String("false"))
        return false;
    return fallback;
}

QString DefaultsStore::readString(const QString& key, const QString& fallback) const
{
    // Values are text or lists of text; a list is no single value.
    const QVariant v = value(key);
    return v.typeId() == QMetaType::QString ? v.toString() : fallback;
}

QStringList DefaultsStore::readStringList(const QString& key) const
{
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList();
    if (v.typeId() == QMetaType::QString)
        return {v.toString()};
    return {};
}

qint64 DefaultsStore::readInt(const QString& key, qint64 fallback) const
{
    bool ok = false;
    const qint64 n = readString(key, {}).toLongLong(&ok);
    return ok ? n : fallback;
}

bool DefaultsStore::write(const QString& key, const QVariant& value)
{
    return change(key, SettingsText::normalized(value));
}

bool DefaultsStore::remove(const QString& key)
{
    return change(key, std::nullopt);
}

bool DefaultsStore::change(const QString& key, std::optional<QVariant> value)
{
    if (held_) {
        held_->insert(key, std::move(value));
        return true;
    }
    return putDown({{key, std::move(value)}});
}

void DefaultsStore::holdWrites()
{
    if (!held_)
        held_.emplace();
}

bool DefaultsStore::commitHeldWrites()
{
    if (!held_)
        return true;
    const Changes held = std::move(*held_);
    held_.reset();
    return putDown(held);
}

void DefaultsStore::discardHeldWrites()
{
    held_.reset();
}

bool DefaultsStore::putDown(const Changes& changes)
{
    // Earlier changes that did not reach the disk go down with these.
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        unsaved_.insert(it.key(), *it);
    // Merged into the file as it is now: a hand edit or another process
    // may have changed it.
    if (!load()) {
        applyChanges(unsaved_, values_);
        return false;
    }
    // Unchanged values are not written again (the language is stored at
    // every launch): the disk and the start-up are spared.
    bool changed = false;
    for (auto it = unsaved_.cbegin(); it != unsaved_.cend() && !changed; ++it)
        changed = it->has_value() ? onDisk_->value(it.key()) != **it : onDisk_->contains(it.key());
    if (!changed) {
        values_ = *onDisk_;
        unsaved_.clear();
        return true;
    }
    // Taken over rather than copied: a large file is not duplicated.
    values_ = {};
    SettingsText::Values next = std::move(*onDisk_);
    onDisk_.reset();
    applyChanges(unsaved_, next);
    values_ = next;
    QString error;
    if (!file_.write(SettingsText::format(next), error)) {
        report(writeFailed, QStringLiteral("cannot be written (%1); changed settings last until Lumora quits")
                                .arg(error));
        return false;
    }
    onDisk_ = std::move(next);
    onDiskStamp_ = file_.stamp();
    unsaved_.clear();
    return true;
}

bool DefaultsStore::load()
{
    if (onDisk_ && file_.stamp() == onDiskStamp_)
        return true;
    onDisk_.reset();
    SettingsFile::Contents contents = file_.read();
    switch (contents.state) {
    case SettingsFile::State::missing:
        onDisk_.emplace();
        onDiskStamp_.reset();
        return true;
    case SettingsFile::State::readable: {
        SettingsText::Parsed parsed = SettingsText::parse(contents.bytes);
        if (parsed.damagedLines > 0)
            report(damaged, QStringLiteral("has %1 damaged line(s); the settings on them are the defaults")
                                .arg(parsed.damagedLines));
        onDisk_ = std::move(parsed.values);
        onDiskStamp_ = contents.stamp;
        return true;
    }
    case SettingsFile::State::notRegular:
        report(notRegular, QStringLiteral("is not a regular file; the settings are the defaults and it is left alone"));
        break;
    case SettingsFile::State::tooLarge:
        report(tooLarge, QStringLiteral("is larger than 1 MiB; the settings are the defaults and it is left alone"));
        break;
    case SettingsFile::State::unreadable:
        report(unreadable, QStringLiteral("cannot be read (%1); the settings are the defaults and it is left alone")
                               .arg(contents.error));
        break;
    }
    return false;
}

void DefaultsStore::report(Fault fault, const QString& what)
{
    if (reported_ & fault)
        return;
    reported_ |= fault;
    qCWarning(lcSettings).noquote() << file_.path() << what;
}
