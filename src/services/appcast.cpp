#include "services/appcast.h"

#include "services/version_comparison.h"

#include <QTextDocument>
#include <QXmlStreamReader>

namespace {
// Release notes come as HTML; only their text is shown. Nothing the markup
// names (images, style sheets, local files) is ever loaded.
class TextOnlyDocument final : public QTextDocument {
public:
    QVariant loadResource(int, const QUrl&) override { return {}; }
};

constexpr qsizetype kMaxNotesChars = 20000;

QString plainTextOf(const QString& html)
{
    if (html.trimmed().isEmpty())
        return {};
    TextOnlyDocument doc;
    doc.setHtml(html.left(kMaxNotesChars * 4));
    return doc.toPlainText().trimmed().left(kMaxNotesChars);
}

bool isOurs(const QXmlStreamReader& xml, QLatin1String name)
{
    return xml.namespaceUri() == Appcast::xmlNamespace && xml.name() == name;
}

bool isPlain(const QXmlStreamReader& xml, QLatin1String name)
{
    return xml.namespaceUri().isEmpty() && xml.name() == name;
}

QString elementText(QXmlStreamReader& xml)
{
    return xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
}

QUrl absoluteUrl(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && !url.isRelative() ? url : QUrl();
}

// Reads one <item>; the reader stands on its start element.
AppcastItem readItem(QXmlStreamReader& xml)
{
    AppcastItem item;
    QString rssLink;
    QString downloadLink;
    QString description;
    while (xml.readNextStartElement()) {
        if (isPlain(xml, QLatin1String("title")))
            item.title = elementText(xml);
        else if (isPlain(xml, QLatin1String("description")))
            description = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        else if (isPlain(xml, QLatin1String("link")))
            rssLink = elementText(xml);
        else if (isOurs(xml, QLatin1String("version")))
            item.version = elementText(xml);
        else if (isOurs(xml, QLatin1String("displayVersion")))
            item.displayVersionString = elementText(xml);
        else if (isOurs(xml, QLatin1String("releaseNotesLink")))
            item.releaseNotesLink = absoluteUrl(elementText(xml));
        else if (isOurs(xml, QLatin1String("downloadLink")))
            downloadLink = elementText(xml);
        else
            xml.skipCurrentElement();
    }
    item.downloadLink = absoluteUrl(downloadLink.isEmpty() ? rssLink : downloadLink);
    if (item.displayVersionString.isEmpty())
        item.displayVersionString = item.version;
    item.releaseNotes = plainTextOf(description);
    return item;
}

bool isUsable(const AppcastItem& item)
{
    return VersionComparison::isValid(item.version) && !item.downloadLink.isEmpty();
}
}  // namespace

Appcast Appcast::parse(const QByteArray& data, qint64 maxBytes)
{
    Appcast feed;
    if (data.size() > maxBytes) {
        feed.error = Error::tooLarge;
        return feed;
    }
    QXmlStreamReader xml(data);
    bool sawRss = false;
    bool sawChannel = false;
    qsizetype itemsSeen = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::DTD) {
            // A feed needs no document type; refusing it rules out entity tricks.
            feed.error = Error::notXml;
            return feed;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (!sawRss) {
            if (!isPlain(xml, QLatin1String("rss"))) {
                feed.error = Error::notAFeed;
                return feed;
            }
            sawRss = true;
            continue;
        }
        if (isPlain(xml, QLatin1String("channel")) && !sawChannel) {
            sawChannel = true;
            continue;
        }
        if (sawChannel && isPlain(xml, QLatin1String("item"))) {
            ++itemsSeen;
            AppcastItem item = readItem(xml);
            if (isUsable(item))
                feed.items.append(std::move(item));
            continue;
        }
        xml.skipCurrentElement();
    }
    if (xml.hasError()) {
        feed.items.clear();
        feed.error = Error::notXml;
    } else if (!sawRss || !sawChannel) {
        feed.error = Error::notAFeed;
    } else if (itemsSeen > 0 && feed.items.isEmpty()) {
        feed.error = Error::noValidItem;
    }
    return feed;
}
