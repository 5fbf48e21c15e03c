#pragma once

// What a lyrics file tells about itself besides its text: the page it was
// downloaded from (its last "* Downloaded from:" line) and whether the
// downloader filtered it ("] filter used" anywhere).

#include <QString>
#include <QStringView>

struct LyricsInfo
{
    bool HasSource = false;
    QString PageUrl;
    QString SiteName;
    bool FilterUsed = false;
};

LyricsInfo parseLyrics(QStringView text);

// The host of an address made of "http://", a host, "/" and a path. Without
// "http://" the cut starts at the seventh character; without a '/' after the
// host it is the rest of the address.
QString siteNameOf(QStringView pageUrl);

// The song's own words: the text without the downloader's lines (its
// "* Downloaded from:" source lines and the filter mark's line), with LF
// line ends and no blank lines at either end.
QString lyricsWithoutDownloaderLines(QStringView text);
