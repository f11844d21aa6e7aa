#include "platform/module_loader.h"

#include "build_config.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace modules {

QStringList installedPaths(const QString& fileName)
{
    const QDir here(QCoreApplication::applicationDirPath());
    return {QDir::cleanPath(here.filePath(QString::fromUtf8(lumora::build::kModuleDirFromExecutable)
                                          + QLatin1Char('/') + fileName)),
            here.filePath(fileName)};
}

void* entryPoint(const QStringList& paths, const char* entry, const QString& fileName, QStringList& problems)
{
    for (const QString& path : paths) {
        if (!QFileInfo::exists(path))
            continue;
        // Never unloaded: what it makes lives as long as the application.
        QLibrary module(path);
        if (!module.load()) {
            problems.append(module.errorString());
            continue;
        }
        if (const QFunctionPointer found = module.resolve(entry))
            return reinterpret_cast<void*>(found);
        problems.append(QStringLiteral("%1 has no %2").arg(path, QString::fromLatin1(entry)));
        module.unload();
    }
    if (problems.isEmpty())
        problems.append(QStringLiteral("%1 is not installed").arg(fileName));
    return nullptr;
}

}  // namespace modules
