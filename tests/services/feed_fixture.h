#pragma once

#include "services/appcast.h"

// Update feeds for the tests: each item has a download page and HTML notes
// unless told otherwise; a null version leaves the version out.
inline QByteArray feedItem(const QByteArray& version, const QByteArray& display = {},
                           const QByteArray& link = "https://lumora.example/download")
{
    QByteArray xml = "<item><title>Lumora</title><description>&lt;p&gt;Starts &lt;b&gt;faster&lt;/b&gt; "
                     "&amp;amp; quieter.&lt;/p&gt;</description>";
    if (!version.isNull())
        xml += "<lumora:version>" + version + "</lumora:version>";
    if (!display.isEmpty())
        xml += "<lumora:displayVersion>" + display + "</lumora:displayVersion>";
    if (!link.isEmpty())
        xml += "<lumora:downloadLink>" + link + "</lumora:downloadLink>";
    return xml + "</item>";
}

inline QByteArray feed(const QByteArrayList& items)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\" xmlns:lumora=\"" +
           Appcast::xmlNamespace.toUtf8() + "\"><channel>" + items.join('\n') + "</channel></rss>\n";
}
