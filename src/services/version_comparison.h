#pragma once

#include <QString>
#include <optional>

// Dotted release numbers ("1.10.2") compared part by part as whole numbers,
// so 1.10 is newer than 1.9 and 1.2 equals 1.2.0.
namespace VersionComparison {

// True for one or more groups of decimal digits joined by single dots.
bool isValid(const QString& version);

// <0, 0 or >0 like strcmp; none when either side is not a valid version.
std::optional<int> compare(const QString& a, const QString& b);

}  // namespace VersionComparison
