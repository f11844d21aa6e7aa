#include "platform/lazy_chime_sound.h"

#include "build_config.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QLoggingCategory>
#include <QTimer>

namespace {
Q_LOGGING_CATEGORY(lcChime, "lumora.chime", QtInfoMsg)

using CreateChime = AlarmSound* (*)(QObject*);
constexpr char kModuleFile[] = "lumora-chime.so";
}  // namespace

LazyChimeSound::LazyChimeSound(QObject* parent) : LazyChimeSound(installedModulePaths(), parent) {}

LazyChimeSound::LazyChimeSound(QStringList modulePaths, QObject* parent)
    : QObject(parent), modulePaths_(std::move(modulePaths))
{
    QTimer::singleShot(loadDelayMs, this, &LazyChimeSound::load);
}

LazyChimeSound::~LazyChimeSound() = default;

QStringList LazyChimeSound::installedModulePaths()
{
    const QDir here(QCoreApplication::applicationDirPath());
    const QString file = QString::fromLatin1(kModuleFile);
    return {QDir::cleanPath(here.filePath(QString::fromUtf8(lumora::build::kModuleDirFromExecutable)
                                          + QLatin1Char('/') + file)),
            here.filePath(file)};
}

void LazyChimeSound::load()
{
    if (loaded_)
        return;
    loaded_ = true;
    QStringList problems;
    for (const QString& path : std::as_const(modulePaths_)) {
        if (!QFileInfo::exists(path))
            continue;
        // Never unloaded once it has made the chime, which lives as long as this object.
        QLibrary module(path);
        if (!module.load()) {
            problems.append(module.errorString());
            continue;
        }
        const auto create = reinterpret_cast<CreateChime>(module.resolve("lumora_chime_create"));
        if (create && (chime_ = create(this)))
            return;
        problems.append(QStringLiteral("%1 holds no chime").arg(path));
        module.unload();
    }
    if (problems.isEmpty())
        problems.append(QStringLiteral("%1 is not installed").arg(QString::fromLatin1(kModuleFile)));
    qCWarning(lcChime).noquote() << "the alarm chime could not be loaded (" + problems.join(QStringLiteral("; "))
                                        + "); the system beep stands in";
}

bool LazyChimeSound::hasChime()
{
    load();
    return chime_ != nullptr;
}

void LazyChimeSound::play()
{
    if (hasChime())
        chime_->play();
    else
        QApplication::beep();
}
