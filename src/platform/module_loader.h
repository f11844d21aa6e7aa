#pragma once

#include <QString>
#include <QStringList>

// Finds Lumora's own modules: parts kept out of the executable so that the
// libraries they bring are loaded only when they are needed.
namespace modules {

// Where `fileName` is looked for: beside the executable as installed, then in
// the executable's own folder (the build tree).
QStringList installedPaths(const QString& fileName);

// The entry point `entry` of the first of `paths` that loads and has one.
// A module that gives it stays loaded. Without one, `problems` says why for
// each path tried, or that `fileName` is not installed.
void* entryPoint(const QStringList& paths, const char* entry, const QString& fileName, QStringList& problems);

}  // namespace modules
