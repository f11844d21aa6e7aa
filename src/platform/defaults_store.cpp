#include "platform/defaults_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <QFileInfo>
#include <QStandardPaths>

DefaultsStore::DefaultsStore(const QString& filePath)
    : settings_(std::make_unique<QSettings>(filePath, QSettings::IniFormat))
{
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
    return settings_->fileName();
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
    return settings_->value(key);
}

bool DefaultsStore::readBool(const QString& key, bool fallback) const
{
    const QVariant v = value(key);
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
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::QString)
        return v.toString();
    return fallback;
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
    const QVariant v = value(key);
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

namespace {
// Whether two values read the same once written: the file keeps only text.
bool sameOnDisk(const QVariant& mine, const QVariant& theirs)
{
    if (!theirs.isValid())
        return false;
    if (mine.metaType() == QMetaType::fromType<QStringList>())
        return mine.toStringList() == theirs.toStringList();
    return mine.toString() == theirs.toString();
}
}  // namespace

bool DefaultsStore::write(const QString& key, const QVariant& value)
{
    return change(key, value);
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
    // Unchanged values are not written again (the language is stored at
    // every launch): the disk and the start-up are spared.
    bool changed = !fileCurrent();
    for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
        if (it->has_value() && !sameOnDisk(**it, settings_->value(it.key()))) {
            settings_->setValue(it.key(), **it);
            changed = true;
        } else if (!it->has_value() && settings_->contains(it.key())) {
            settings_->remove(it.key());
            changed = true;
        }
    }
    return changed ? flush() : true;
}

bool DefaultsStore::fileCurrent()
{
    // After a failed write the file may be cut off: everything goes down again.
    if (lastFlushFailed_)
        return false;
    // Re-read it: a hand edit or another process may have changed it.
    settings_->sync();
    return true;
}

bool DefaultsStore::flush()
{
    // Create the folder first: QSettings does so too, but a failure there
    // would otherwise only surface as an opaque AccessError.
    QDir().mkpath(QFileInfo(settings_->fileName()).absolutePath());
    settings_->sync();
    // QSettings keeps the first error it met for good, so its status cannot
    // say whether this write worked; the file on disk can.
    lastFlushFailed_ = !fileHoldsEverything();
    if (!lastFlushFailed_)
        return true;
    // Mark every value as still to be written, so the next write (or
    // QSettings' own deferred one) puts the whole file down again rather
    // than merging onto the cut-off one.
    const QStringList keys = settings_->allKeys();
    for (const QString& key : keys)
        settings_->setValue(key, settings_->value(key));
    return false;
}

bool DefaultsStore::fileHoldsEverything() const
{
    // Whether the file on disk holds every value this store has: a write
    // that comes up short (a full disk) leaves a cut-off file. Read through
    // a copy, since QSettings shares what it has cached for a path between
    // all its objects.
    QFile file(settings_->fileName());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // A fresh folder each time: QSettings would also share a cache with
    // an earlier copy that happened to get the same name.
    const QTemporaryDir dir;
    QFile copy(dir.filePath(QStringLiteral("copy.conf")));
    if (!dir.isValid() || !copy.open(QIODevice::WriteOnly) || copy.write(file.readAll()) < 0 || !copy.flush())
        return false;
    copy.close();
    const QSettings onDisk(copy.fileName(), QSettings::IniFormat);
    const QStringList keys = settings_->allKeys();
    return std::all_of(keys.cbegin(), keys.cend(), [&](const QString& key) {
        return sameOnDisk(settings_->value(key), onDisk.value(key));
    });
}
