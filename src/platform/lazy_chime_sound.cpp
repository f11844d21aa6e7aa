#include "platform/lazy_chime_sound.h"

#include "platform/module_loader.h"

#include <QApplication>
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
    return modules::installedPaths(QString::fromLatin1(kModuleFile));
}

void LazyChimeSound::load()
{
    if (loaded_)
        return;
    loaded_ = true;
    QStringList problems;
    const auto create = reinterpret_cast<CreateChime>(
        modules::entryPoint(modulePaths_, "lumora_chime_create", QString::fromLatin1(kModuleFile), problems));
    if (create && (chime_ = create(this)))
        return;
    if (create)
        problems.append(QStringLiteral("the module made no chime"));
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
