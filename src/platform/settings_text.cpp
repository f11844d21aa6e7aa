#include "platform/settings_text.h"

#include <QStringList>
#include <algorithm>
#include <optional>

namespace {
int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads up to `most` digits of `base` at `i`; none gives nothing.
std::optional<uint> number(QByteArrayView text, qsizetype& i, int most, int base)
{
    uint value = 0;
    int digits = 0;
    for (; digits < most && i < text.size(); ++digits, ++i) {
        const int digit = hexValue(text[i]);
        if (digit < 0 || digit >= base)
            break;
        value = value * uint(base) + uint(digit);
    }
    return digits > 0 ? std::optional<uint>(value) : std::nullopt;
}

// QSettings writes keys in ASCII: %XX and %UXXXX for other characters and
// a backslash for the group separator.
bool isPlainKeyCharacter(char16_t u)
{
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' || u == '-'
           || u == '.';
}

std::optional<QString> decodeKey(QByteArrayView raw)
{
    if (!raw.isEmpty() && std::all_of(raw.begin(), raw.end(), [](char c) { return isPlainKeyCharacter(uchar(c)); }))
        return QString::fromLatin1(raw);
    QString key;
    for (qsizetype i = 0; i < raw.size();) {
        const char c = raw[i++];
        if (uchar(c) < 0x20 || uchar(c) > 0x7e)
            return std::nullopt;
        if (c == '\\') {
            key += QLatin1Char('/');
        } else if (c == '%') {
            const bool wide = i < raw.size() && raw[i] == 'U';
            i += wide ? 1 : 0;
            const qsizetype start = i;
            const auto code = number(raw, i, wide ? 4 : 2, 16);
            if (!code || i - start != (wide ? 4 : 2) || *code < 0x20)
                return std::nullopt;
            key += QChar(char16_t(*code));
        } else {
            key += QLatin1Char(c);
        }
    }
    if (key.isEmpty())
        return std::nullopt;
    return key;
}

QByteArray encodeKey(const QString& key)
{
    static const char hex[] = "0123456789ABCDEF";
    if (std::all_of(key.cbegin(), key.cend(), [](QChar ch) { return isPlainKeyCharacter(ch.unicode()); }))
        return key.toLatin1();
    QByteArray out;
    for (const QChar ch : key) {
        const char16_t u = ch.unicode();
        if (u == '/') {
            out += '\\';
        } else if (isPlainKeyCharacter(u)) {
            out += char(u);
        } else if (u <= 0xff) {
            out += '%';
            out += hex[u >> 4];
            out += hex[u & 0xf];
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += hex[(u >> shift) & 0xf];
        }
    }
    return out;
}

char escaped(char c)
{
    switch (c) {
    case 'a': return '\a';
    case 'b': return '\b';
    case 'f': return '\f';
    case 'n': return '\n';
    case 'r': return '\r';
    case 't': return '\t';
    case 'v': return '\v';
    case '"':
    case '?':
    case '\'':
    case '\\': return c;
    default: return 0;
    }
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Where a run of plain text inside a value ends.
bool isSpecial(char c)
{
    return c == '\\' || c == '"' || c == ',' || c == ';' || uchar(c) < 0x20;
}

// One value as QSettings writes it: quoted parts, backslash escapes and
// comma-separated lists. Anything else is no value of ours: an unclosed
// quote, a trailing backslash (QSettings would join the next line), bytes
// that are not UTF-8, and every "@" form but the escaped "@@" and the empty
// list.
std::optional<QVariant> decodeValue(QByteArrayView raw)
{
    if (!raw.isValidUtf8())
        return std::nullopt;
    // Most values are a plain word.
    if (std::none_of(raw.begin(), raw.end(), isSpecial) && !raw.startsWith('@'))
        return QVariant(QString::fromUtf8(raw));
    QStringList items;
    QString item;
    bool list = false;
    bool inQuotes = false;
    bool itemQuoted = false;
    qsizetype keep = 0;  // trailing blanks before this length were written on purpose
    const auto endItem = [&] {
        if (!itemQuoted) {
            while (item.size() > keep && (item.back() == QLatin1Char(' ') || item.back() == QLatin1Char('\t')))
                item.chop(1);
        }
        items.append(item);
        item.clear();
        itemQuoted = false;
        keep = 0;
    };
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < raw.size() && isBlank(raw[i]))
            ++i;
    };
    skipBlanks();
    while (i < raw.size()) {
        const char c = raw[i];
        if (uchar(c) < 0x20 && c != '\t')
            return std::nullopt;
        if (c == '\\') {
            if (++i >= raw.size())
                return std::nullopt;
            const char e = raw[i++];
            if (const char plain = escaped(e)) {
                item += QLatin1Char(plain);
            } else if (e == 'x') {
                const auto code = number(raw, i, 4, 16);
                if (!code)
                    return std::nullopt;
                item += QChar(char16_t(*code));
            } else if (e >= '0' && e <= '7') {
                --i;
                item += QChar(char16_t(*number(raw, i, 3, 8)));
            }  // any other escaped character is dropped, as QSettings does
            keep = item.size();
        } else if (c == '"') {
            ++i;
            inQuotes = !inQuotes;
            itemQuoted = true;
            if (!inQuotes) {
                keep = item.size();
                skipBlanks();
            }
        } else if ((c == ',' || c == ';') && !inQuotes) {
            if (c == ';')
                break;  // the rest of the line is a comment
            ++i;
            endItem();
            list = true;
            skipBlanks();
        } else {
            qsizetype end = i + 1;
            while (end < raw.size() && !isSpecial(raw[end]))
                ++end;
            item += QString::fromUtf8(raw.sliced(i, end - i));
            i = end;
        }
    }
    if (inQuotes)
        return std::nullopt;
    endItem();
    for (QString& s : items) {
        if (!s.startsWith(QLatin1Char('@')))
            continue;
        if (!list && s == QLatin1String("@Invalid()"))
            return QVariant(QStringList());
        if (!s.startsWith(QLatin1String("@@")))
            return std::nullopt;
        s.remove(0, 1);
    }
    return list ? QVariant(items) : QVariant(items.constFirst());
}

// The escaping of QSettings, so that it reads our files as we do.
QByteArray encodeString(QString s)
{
    if (s.startsWith(QLatin1Char('@')))
        s.prepend(QLatin1Char('@'));
    const auto plain = [](QChar ch) {
        const char16_t u = ch.unicode();
        return u >= 0x20 && u < 0x7f && u != '"' && u != '\\' && u != ';' && u != ',' && u != '=';
    };
    if (std::all_of(s.cbegin(), s.cend(), plain) && !s.startsWith(QLatin1Char(' ')) && !s.endsWith(QLatin1Char(' ')))
        return s.toLatin1();
    static const char hex[] = "0123456789abcdef";
    QByteArray out;
    bool quote = false;
    bool escapeNextIfHex = false;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t u = s[i].unicode();
        if (u == ';' || u == ',' || u == '=')
            quote = true;
        if (escapeNextIfHex && u < 0x80 && hexValue(char(u)) >= 0) {
            out += "\\x";
            out += hex[u >> 4];
            out += hex[u & 0xf];
            continue;
        }
        escapeNextIfHex = false;
        if (u >= 0x80) {
            // Whole runs, so that surrogate pairs stay together.
            qsizetype end = i + 1;
            while (end < s.size() && s[end].unicode() >= 0x80)
                ++end;
            out += QStringView(s).sliced(i, end - i).toUtf8();
            i = end - 1;
            continue;
        }
        switch (u) {
        case '\0': out += "\\0"; escapeNextIfHex = true; break;
        case '\a': out += "\\a"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\v': out += "\\v"; break;
        case '"':
        case '\\':
            out += '\\';
            out += char(u);
            break;
        default:
            if (u <= 0x1f) {
                out += "\\x";
                out += hex[u >> 4];
                out += hex[u & 0xf];
                escapeNextIfHex = true;
            } else {
                out += char(u);
            }
        }
    }
    if (quote || out.startsWith(' ') || out.endsWith(' '))
        return '"' + out + '"';
    return out;
}

QByteArray encodeValue(const QVariant& value)
{
    if (value.metaType() != QMetaType::fromType<QStringList>())
        return encodeString(value.toString());
    const QStringList items = value.toStringList();
    if (items.isEmpty())
        return QByteArrayLiteral("@Invalid()");
    QByteArrayList parts;
    for (const QString& item : items)
        parts.append(encodeString(item));
    return parts.join(", ");
}

// The group a section header names: none for [General].
std::optional<QString> sectionPrefix(QByteArrayView header)
{
    if (header.size() < 3 || header.back() != ']')
        return std::nullopt;
    const QByteArrayView name = header.sliced(1, header.size() - 2);
    const QByteArray lower = name.toByteArray().toLower();
    if (lower == "general")
        return QString();
    if (lower == "%general")
        return QStringLiteral("General/");
    const auto key = decodeKey(name);
    return key ? std::optional<QString>(*key + QLatin1Char('/')) : std::nullopt;
}
}  // namespace

SettingsText::Parsed SettingsText::parse(QByteArrayView text)
{
    Parsed out;
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    QString prefix;
    bool sectionUsable = true;
    for (qsizetype pos = 0; pos < text.size();) {
        qsizetype end = text.indexOf('\n', pos);
        if (end < 0)
            end = text.size();
        const QByteArrayView line = text.sliced(pos, end - pos).trimmed();
        pos = end + 1;
        if (line.isEmpty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            // The keys after a header that does not parse would land in
            // another group: they are skipped until the next good header.
            const auto section = sectionPrefix(line);
            sectionUsable = section.has_value();
            prefix = section.value_or(QString());
            out.damagedLines += sectionUsable ? 0 : 1;
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        const auto key = equals > 0 ? decodeKey(line.first(equals).trimmed()) : std::nullopt;
        if (!key || !sectionUsable) {
            ++out.damagedLines;
            continue;
        }
        if (auto value = decodeValue(line.sliced(equals + 1).trimmed())) {
            out.values.insert(prefix + *key, std::move(*value));
        } else {
            // The last line of a key is the one meant; it is unreadable.
            out.values.remove(prefix + *key);
            ++out.damagedLines;
        }
    }
    return out;
}

QByteArray SettingsText::format(const Values& values)
{
    // Groups by the first part of the key; keys without one go under [General].
    QMap<QString, QByteArray> sections;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const qsizetype slash = it.key().indexOf(QLatin1Char('/'));
        const QString section = slash < 0 ? QString() : it.key().left(slash);
        sections[section] += encodeKey(it.key().mid(slash + 1)) + '=' + encodeValue(*it) + '\n';
    }
    QByteArray out;
    for (auto it = sections.cbegin(); it != sections.cend(); ++it) {
        if (!out.isEmpty())
            out += '\n';
        const QByteArray name = it.key().isEmpty()                   ? QByteArrayLiteral("General")
                                : it.key() == QLatin1String("General") ? QByteArrayLiteral("%General")
                                                                       : encodeKey(it.key());
        out += '[' + name + "]\n" + *it;
    }
    return out;
}

QVariant SettingsText::normalized(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<QStringList>()) {
        const QStringList items = value.toStringList();
        return items.size() == 1 ? QVariant(items.constFirst()) : QVariant(items);
    }
    if (value.metaType() == QMetaType::fromType<bool>())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return value.toString();
}
