#include "services/version_comparison.h"

#include <QStringList>
#include <algorithm>

namespace {
QStringList partsOf(const QString& version)
{
    const QString trimmed = version.trimmed();
    if (trimmed.isEmpty())
        return {};
    QStringList parts = trimmed.split(QLatin1Char('.'));
    for (QString& part : parts) {
        if (part.isEmpty())
            return {};
        for (QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return {};
        }
        // Compared as digit strings, so no part is too long for an integer.
        while (part.size() > 1 && part.front() == QLatin1Char('0'))
            part.remove(0, 1);
    }
    return parts;
}

int compareParts(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}
}  // namespace

namespace VersionComparison {

bool isValid(const QString& version)
{
    return !partsOf(version).isEmpty();
}

std::optional<int> compare(const QString& a, const QString& b)
{
    const QStringList left = partsOf(a);
    const QStringList right = partsOf(b);
    if (left.isEmpty() || right.isEmpty())
        return std::nullopt;
    const qsizetype n = std::max(left.size(), right.size());
    const QString zero = QStringLiteral("0");
    for (qsizetype i = 0; i < n; ++i) {
        const int c = compareParts(i < left.size() ? left[i] : zero, i < right.size() ? right[i] : zero);
        if (c != 0)
            return c < 0 ? -1 : 1;
    }
    return 0;
}

}  // namespace VersionComparison
