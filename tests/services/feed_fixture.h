#pragma once

#include "services/appcast.h"
#include "services/updater_settings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Builds update feeds for the tests.
namespace FeedFixture {

inline QByteArray item(const QString& version, const QString& display = {},
                       const QString& link = QStringLiteral("https://lumora.example/download"),
                       const QString& notes = QStringLiteral("&lt;p&gt;Starts &lt;b&gt;faster&lt;/b&gt; &amp;amp; quieter.&lt;/p&gt;"))
{
    QString xml = QStringLiteral("<item><title>Lumora</title>");
    if (!version.isNull())
        xml += QStringLiteral("<lumora:version>%1</lumora:version>").arg(version);
    if (!display.isEmpty())
        xml += QStringLiteral("<lumora:displayVersion>%1</lumora:displayVersion>").arg(display);
    xml += QStringLiteral("<lumora:releaseNotesLink>https://lumora.example/notes</lumora:releaseNotesLink>");
    if (!link.isEmpty())
        xml += QStringLiteral("<lumora:downloadLink>%1</lumora:downloadLink>").arg(link);
    xml += QStringLiteral("<description>%1</description></item>").arg(notes);
    return xml.toUtf8();
}

inline QByteArray feed(const QByteArrayList& items)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" xmlns:lumora=\"" + Appcast::xmlNamespace.toUtf8() + "\">"
           "<channel><title>Lumora</title><link>https://lumora.example/</link>" +
           items.join('\n') + "</channel></rss>\n";
}

}  // namespace FeedFixture
