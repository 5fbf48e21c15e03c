#include "library/FolderListing.h"

#include <QFile>
#include <QSet>

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <string_view>
#include <sys/stat.h>

namespace {

// A directory entry is a regular file, following a symbolic link; the entry
// type saves a stat on the file systems that report it.
bool isRegularFile(int dirFd, const dirent *entry)
{
    if (entry->d_type == DT_REG)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    struct stat st;
    return fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
}

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}

// The name's characters written at out, as QFile::decodeName reads them;
// returns how many. out has room for length characters: no byte sequence
// decodes into more characters than it has bytes.
qsizetype decodeName(const char *name, size_t length, char16_t *out)
{
    bool ascii = true;
    for (size_t i = 0; i < length && ascii; ++i)
        ascii = static_cast<unsigned char>(name[i]) < 0x80;
    if (ascii) {
        // Most names: each byte is its character.
        std::copy_n(reinterpret_cast<const unsigned char *>(name), length, out);
        return qsizetype(length);
    }
    const QString decoded = QFile::decodeName(QByteArray::fromRawData(name, qsizetype(length)));
    const qsizetype n = std::min(decoded.size(), qsizetype(length));
    std::copy_n(reinterpret_cast<const char16_t *>(decoded.constData()), n, out);
    return n;
}

// QStringView::compare ignoring case, the same order, without its cost on
// the plain ASCII names most files have: the ASCII head is compared here,
// the rest by Qt from the first character outside it.
int compareIgnoringCase(QStringView a, QStringView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    const char16_t *p = a.utf16();
    const char16_t *q = b.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        char16_t x = p[i];
        char16_t y = q[i];
        if ((x | y) >= 0x80)
            return a.mid(i).compare(b.mid(i), Qt::CaseInsensitive);
        if (x != y) {
            x = x >= u'A' && x <= u'Z' ? char16_t(x + 32) : x;
            y = y >= u'A' && y <= u'Z' ? char16_t(y + 32) : y;
            if (x != y)
                return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The same characters for plain comparisons, inline: code unit by code
// unit, as QStringView's own operators order them.
std::u16string_view units(QStringView text)
{
    return std::u16string_view(text.utf16(), size_t(text.size()));
}

// Sorts the songs by name ignoring case, then by name as written: the order
// compareIgnoringCase gives, but most comparisons are a memcmp. A name of
// ASCII letters only is compared as its bytes lower-cased, made once per
// name instead of once per comparison.
void sortSongs(std::vector<FolderListing::Song> &songs)
{
    struct Item
    {
        const FolderListing::Song *song;
        const char *folded; // null when the name has other characters
        qsizetype length;
    };
    std::vector<char> foldedNames;
    std::vector<Item> items;
    items.reserve(songs.size());
    size_t total = 0;
    for (const FolderListing::Song &song : songs)
        total += size_t(song.Name.size());
    foldedNames.resize(total);
    char *out = foldedNames.data();
    for (const FolderListing::Song &song : songs) {
        const char16_t *name = song.Name.utf16();
        const qsizetype length = song.Name.size();
        bool ascii = true;
        for (qsizetype i = 0; i < length; ++i) {
            const char16_t c = name[i];
            ascii = ascii && c < 0x80;
            out[i] = char(c >= u'A' && c <= u'Z' ? c + 32 : c);
        }
        items.push_back({&song, ascii ? out : nullptr, length});
        out += length;
    }
    std::sort(items.begin(), items.end(), [](const Item &a, const Item &b) {
        int c;
        if (a.folded && b.folded) {
            c = std::memcmp(a.folded, b.folded, size_t(std::min(a.length, b.length)));
            if (c == 0)
                c = a.length == b.length ? 0 : (a.length < b.length ? -1 : 1);
        } else {
            c = compareIgnoringCase(a.song->Name, b.song->Name);
        }
        return c != 0 ? c < 0 : units(a.song->Name) < units(b.song->Name);
    });
    std::vector<FolderListing::Song> sorted;
    sorted.reserve(songs.size());
    for (const Item &item : items)
        sorted.push_back(*item.song);
    songs.swap(sorted);
}

} // namespace

QStringList FolderListing::names() const
{
    QStringList out;
    out.reserve(qsizetype(Songs.size()));
    for (const Song &s : Songs)
        out.append(s.Name.toString());
    return out;
}

FolderListing listLetterFolder(const QString &folder, TextArena *names, QStringView keyPrefix)
{
    FolderListing listing;
    if (!names) {
        listing.ownNames = std::make_unique<TextArena>();
        names = listing.ownNames.get();
    }
    DIR *dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return listing;
    listing.Readable = true;

    // A song's timestamp file is its name with the last three characters
    // turned into "kas": both are compared without those three.
    TextArena stampNames;
    std::vector<QStringView> stamps;
    while (const dirent *entry = readdir(dir)) {
        const char *name = entry->d_name;
        if (name[0] == '.') // hidden, and "." and ".."
            continue;
        const size_t length = std::strlen(name);
        if (length <= 4)
            continue;
        // Both extensions are ASCII, and no other character folds to
        // theirs: the bytes tell what the decoded name would.
        const char *ext = name + length - 4;
        const bool isSong = ext[0] == '.' && lowerAscii(ext[1]) == 't' && lowerAscii(ext[2]) == 'x'
            && lowerAscii(ext[3]) == 't';
        const bool isStamp = !isSong && std::memcmp(ext, ".kas", 4) == 0;
        if (!isSong && !isStamp)
            continue;
        if (!isRegularFile(dirfd(dir), entry))
            continue;
        if (isSong) {
            char16_t *room = names->reserve(keyPrefix.size() + qsizetype(length));
            std::copy_n(keyPrefix.utf16(), keyPrefix.size(), room);
            const qsizetype n = decodeName(name, length, room + keyPrefix.size());
            const QStringView kept = names->commit(room, keyPrefix.size() + n);
            listing.Songs.push_back({kept.mid(keyPrefix.size()), false});
        } else {
            char16_t *room = stampNames.reserve(qsizetype(length));
            stamps.push_back(stampNames.commit(room, decodeName(name, length, room)));
        }
    }
    closedir(dir);

    sortSongs(listing.Songs);
    if (!stamps.empty()) {
        QSet<QStringView> bases;
        bases.reserve(qsizetype(stamps.size()));
        for (QStringView stamp : stamps)
            bases.insert(stamp.chopped(3));
        for (FolderListing::Song &song : listing.Songs)
            song.HasTimestamps = bases.contains(song.Name.chopped(3));
    }
    return listing;
}
