#include "library/SongNames.h"

#include <QFileInfo>

#include <type_traits>

using namespace Qt::StringLiterals;

namespace {

// The same rules for a name in either kind of view: a part of a name is a
// view of the same kind.

template<typename View> View trimmedSpacesOf(View text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text[start].unicode() == u' ')
        ++start;
    while (end > start && text[end - 1].unicode() == u' ')
        --end;
    return text.mid(start, end - start);
}

// A plain loop: names are short, and the scan asks this of every song.
template<typename View> View artistPartOf(View fileName)
{
    for (qsizetype dash = 0; dash < fileName.size(); ++dash) {
        if (fileName[dash].unicode() == u'-')
            return trimmedSpacesOf(fileName.left(dash));
    }
    return View();
}

template<typename View> View songPartOf(View nameWithoutExtension)
{
    qsizetype dash = nameWithoutExtension.size() - 1;
    while (dash >= 0 && nameWithoutExtension[dash].unicode() != u'-')
        --dash;
    const View song = trimmedSpacesOf(dash < 0 ? nameWithoutExtension : nameWithoutExtension.mid(dash + 1));
    // "Artist - .txt": a row must say something, and a heading "Artist -"
    // reads as cut off.
    if (!song.isEmpty())
        return song;
    if constexpr (std::is_same_v<View, QStringView>)
        return QStringView(u"(no title)");
    else
        return QLatin1StringView("(no title)");
}

template<typename View> View keyFileNameOf(View key)
{
    qsizetype slash = 0;
    while (slash < key.size() && key[slash].unicode() != u'/')
        ++slash;
    return slash < key.size() ? key.mid(slash + 1) : key;
}

// ".txt" in any letter case: no other character folds to one of these.
template<typename View> View nameStemOf(View fileName)
{
    const qsizetype n = fileName.size();
    if (n < 4 || fileName[n - 4].unicode() != u'.')
        return fileName;
    const auto lower = [&fileName](qsizetype i) { return char16_t(fileName[i].unicode() | 0x20); };
    return lower(n - 3) == u't' && lower(n - 2) == u'x' && lower(n - 1) == u't' ? fileName.chopped(4) : fileName;
}

} // namespace

QStringView trimmedSpaces(QStringView text)
{
    return trimmedSpacesOf(text);
}

QString trimSpaces(QStringView text)
{
    return trimmedSpaces(text).toString();
}

QStringView artistPart(QStringView fileName)
{
    return artistPartOf(fileName);
}

NodeText artistPart(NodeText fileName)
{
    return fileName.visit([](auto name) { return NodeText(artistPartOf(name)); });
}

QString ExtractArtist(QStringView fileName)
{
    return artistPart(fileName).toString();
}

QStringView songPart(QStringView nameWithoutExtension)
{
    return songPartOf(nameWithoutExtension);
}

QString ExtractSong(QStringView nameWithoutExtension)
{
    return songPart(nameWithoutExtension).toString();
}

QStringView keyFileName(QStringView key)
{
    return keyFileNameOf(key);
}

NodeText keyFileName(NodeText key)
{
    return key.visit([](auto view) { return NodeText(keyFileNameOf(view)); });
}

QStringView nameStem(QStringView fileName)
{
    return nameStemOf(fileName);
}

QStringView songTitle(QStringView fileName)
{
    return songPartOf(nameStemOf(fileName));
}

NodeText songTitle(NodeText fileName)
{
    return fileName.visit([](auto name) { return NodeText(songPartOf(nameStemOf(name))); });
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
