#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

// One release as the feed describes it.
struct AppcastItem {
    QString title;
    QString version;               // dotted numbers, compared with ours
    QString displayVersionString;  // what the user reads; the version when absent
    QString releaseNotes;          // plain text made from the item's description
    QUrl releaseNotesLink;
    QUrl downloadLink;             // the page opened in the browser
};

// The update feed: RSS 2.0 whose items carry our own elements
//   <lumora:version>, <lumora:displayVersion>, <lumora:releaseNotesLink>,
//   <lumora:downloadLink>   (xmlns:lumora = Appcast::xmlNamespace)
// beside the usual <title>, <description> and <link> (the download page when
// <lumora:downloadLink> is absent).
class Appcast {
public:
    static inline const QString xmlNamespace = QStringLiteral("urn:org.lumora:appcast:1");

    enum class Error { none, tooLarge, notXml, notAFeed, noValidItem };

    // Items that lack a usable version or download link are left out; a feed
    // with items of which none is usable is an error, an empty one is not.
    static Appcast parse(const QByteArray& data, qint64 maxBytes);

    bool isValid() const { return error == Error::none; }

    Error error = Error::none;
    QList<AppcastItem> items;
};
