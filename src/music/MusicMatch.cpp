#include "music/MusicMatch.h"

#include "lyricsindex/SearchFolding.h"

using namespace Qt::StringLiterals;

QString musicMatchKey(QStringView text)
{
    // The words of the text, folded, back to back: what is not a letter or a
    // digit separates words and is left out.
    return SearchFolding::words(text).Folded;
}

QStringView songNameOfKey(QStringView songKey)
{
    QStringView name = songKey.mid(songKey.lastIndexOf(u'/') + 1);
    if (name.endsWith(u".txt", Qt::CaseInsensitive))
        name.chop(4);
    return name;
}

void SongIndex::clear()
{
    first.clear();
    more.clear();
    songs = 0;
}

void SongIndex::reserve(qsizetype count)
{
    first.reserve(count);
}

void SongIndex::add(QStringView songKey)
{
    const QString key = musicMatchKey(songNameOfKey(songKey));
    if (key.isEmpty())
        return;
    ++songs;
    const auto it = first.constFind(key);
    if (it == first.cend())
        first.insert(key, songKey.toString());
    else
        more[key].append(songKey.toString());
}

QStringList SongIndex::candidates(const QString &artist, const QString &title) const
{
    const QString key = musicMatchKey(QString(artist + u" - "_s + title));
    const auto it = first.constFind(key);
    if (it == first.cend())
        return {};
    QStringList all{*it};
    all += more.value(key);
    // The song named exactly as the track first.
    const QString exact = artist + u" - "_s + title;
    for (qsizetype i = 1; i < all.size(); ++i) {
        if (songNameOfKey(all[i]) == exact && songNameOfKey(all[0]) != exact) {
            all.move(i, 0);
            break;
        }
    }
    return all;
}

SongMatch SongIndex::find(const QString &artist, const QString &title) const
{
    const QString key = musicMatchKey(QString(artist + u" - "_s + title));
    const auto it = first.constFind(key);
    if (it == first.cend())
        return {};
    if (!more.contains(key))
        return {*it, 1};
    const QStringList all = candidates(artist, title);
    return {all.first(), int(all.size())};
}
