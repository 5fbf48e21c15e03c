#include "library/SongNames.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

QStringView trimmedSpaces(QStringView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text[start] == u' ')
        ++start;
    while (end > start && text[end - 1] == u' ')
        --end;
    return text.mid(start, end - start);
}

QString trimSpaces(QStringView text)
{
    return trimmedSpaces(text).toString();
}

// A plain loop: names are short, and the scan asks this of every song.
QStringView artistPart(QStringView fileName)
{
    const char16_t *chars = fileName.utf16();
    for (qsizetype dash = 0; dash < fileName.size(); ++dash) {
        if (chars[dash] == u'-')
            return trimmedSpaces(fileName.left(dash));
    }
    return QStringView();
}

QString ExtractArtist(QStringView fileName)
{
    return artistPart(fileName).toString();
}

QStringView songPart(QStringView nameWithoutExtension)
{
    const char16_t *chars = nameWithoutExtension.utf16();
    qsizetype dash = nameWithoutExtension.size() - 1;
    while (dash >= 0 && chars[dash] != u'-')
        --dash;
    return trimmedSpaces(dash < 0 ? nameWithoutExtension : nameWithoutExtension.mid(dash + 1));
}

QString ExtractSong(QStringView nameWithoutExtension)
{
    return songPart(nameWithoutExtension).toString();
}

QStringView keyFileName(QStringView key)
{
    return key.mid(key.indexOf(u'/') + 1);
}

QStringView nameStem(QStringView fileName)
{
    return fileName.endsWith(u".txt", Qt::CaseInsensitive) ? fileName.chopped(4) : fileName;
}

QStringView songTitle(QStringView fileName)
{
    return songPart(nameStem(fileName));
}

QString noArtistText()
{
    return u"(no artist)"_s;
}

QString noArtistKey()
{
    return u"/no artist"_s;
}

QString artistKey(const QString &artist)
{
    return artist.isEmpty() ? noArtistKey() : artist.toLower();
}

QString kasPathFor(const QString &lyricsPath)
{
    if (lyricsPath.size() < 3)
        return {};
    return lyricsPath.chopped(3) + u"kas"_s;
}

bool KasFileExists(const QString &lyricsPath)
{
    const QString kas = kasPathFor(lyricsPath);
    if (kas.isEmpty())
        return false;
    const QFileInfo info(kas);
    return info.isFile() && !info.fileName().startsWith(u'.');
}
