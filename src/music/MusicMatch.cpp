#include "music/MusicMatch.h"

#include "library/SongNames.h"
#include "text/Folding.h"

using namespace Qt::StringLiterals;

// The words of the text, folded, back to back: what is not a letter or a
// digit separates words and is left out.
QString musicMatchKey(QStringView text)
{
    // Most names are ASCII: there the folding keeps letters, lower-cased,
    // and digits, which is what the words below give, without their cost.
    QString key(text.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(key.data());
    qsizetype n = 0;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c >= 0x80)
            return foldedWords(text).Folded;
        if ((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'))
            out[n++] = c;
        else if (c >= u'A' && c <= u'Z')
            out[n++] = char16_t(c + 32);
    }
    key.truncate(n);
    return key;
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
    const QString key = musicMatchKey(nameStem(keyFileName(songKey)));
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
        if (nameStem(keyFileName(all[i])) == exact && nameStem(keyFileName(all[0])) != exact) {
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
