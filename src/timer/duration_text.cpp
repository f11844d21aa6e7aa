#include "timer/duration_text.h"

#include <QRegularExpression>
#include <limits>

namespace duration_text {
namespace {
constexpr qint64 kMax = std::numeric_limits<qint64>::max();

qint64 saturatingTerm(const QString& digits, qint64 unit, qint64 sum)
{
    bool ok = false;
    const qint64 value = digits.toLongLong(&ok);
    qint64 term = 0;
    qint64 out = 0;
    if (!ok || __builtin_mul_overflow(value, unit, &term) || __builtin_add_overflow(sum, term, &out))
        return kMax;
    return out;
}
}  // namespace

std::optional<qint64> parseDuration(const QString& text)
{
    const QString t = text.trimmed();
    static const QRegularExpression minutes(QStringLiteral("^[0-9]+$"));
    static const QRegularExpression units(
        QStringLiteral("^(?:([0-9]+)\\s*h)?\\s*(?:([0-9]+)\\s*m)?\\s*(?:([0-9]+)\\s*s)?$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression colons(QStringLiteral("^(?:([0-9]+):)?([0-9]+):([0-5][0-9])$"));

    if (minutes.match(t).hasMatch())
        return saturatingTerm(t, 60, 0);
    if (const auto m = colons.match(t); m.hasMatch()) {
        // Three fields are hours, minutes, seconds; then minutes are below 60 too.
        if (m.hasCaptured(1)) {
            if (m.captured(2).size() != 2 || m.captured(2).toInt() > 59)
                return std::nullopt;
            return saturatingTerm(m.captured(1), 3600,
                                  saturatingTerm(m.captured(2), 60, m.captured(3).toInt()));
        }
        return saturatingTerm(m.captured(2), 60, m.captured(3).toInt());
    }
    if (const auto m = units.match(t); m.hasMatch() && !t.isEmpty()) {
        qint64 sum = 0;
        const qint64 unit[] = {3600, 60, 1};
        for (int i = 0; i < 3; ++i)
            if (m.hasCaptured(i + 1))
                sum = saturatingTerm(m.captured(i + 1), unit[i], sum);
        return sum;
    }
    return std::nullopt;
}

std::optional<int> parseClockTime(const QString& text)
{
    static const QRegularExpression clock(QStringLiteral("^([0-9]{1,2}):([0-9]{2})$"));
    const auto m = clock.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const int hour = m.captured(1).toInt();
    const int minute = m.captured(2).toInt();
    if (hour > 23 || minute > 59)
        return std::nullopt;
    return hour * 60 + minute;
}

}  // namespace duration_text
