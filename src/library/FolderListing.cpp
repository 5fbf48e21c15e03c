#include "library/FolderListing.h"

#include "text/AsciiBlocks.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <mutex>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <string_view>
#include <sys/stat.h>

namespace {

// A directory entry is a regular file, following a symbolic link; the entry
// type saves a stat on the file systems that report it.
bool isRegularFile(int dirFd, const dirent64 *entry)
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

// An ASCII name's characters written at out, and the same lower-cased at
// lower unless that is null; false, with both half written, when a byte is
// not ASCII. Sixteen bytes at a time where the processor allows.
bool widenAscii(const char *name, size_t length, char16_t *out, char *lower)
{
    const auto *in = reinterpret_cast<const unsigned char *>(name);
    size_t i = 0;
#ifdef __SSE2__
    for (; i + 16 <= length; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + i));
        if (!allAscii16(v))
            return false;
        storeWidened16(out + i, v);
        if (lower)
            _mm_storeu_si128(reinterpret_cast<__m128i *>(lower + i), lowerAscii16(v));
    }
#endif
    for (; i < length; ++i) {
        const unsigned char c = in[i];
        if (c >= 0x80)
            return false;
        out[i] = c;
        if (lower)
            lower[i] = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    return true;
}

// The name's characters written at out, as QFile::decodeName reads them;
// returns how many. out has room for length characters: no byte sequence
// decodes into more characters than it has bytes. An ASCII name (most are)
// is also written lower-cased at lower (unless null), and ascii says so.
qsizetype decodeName(const char *name, size_t length, char16_t *out, char *lower, bool &ascii)
{
    ascii = widenAscii(name, length, out, lower);
    if (ascii)
        return qsizetype(length);
    const QString decoded = QFile::decodeName(QByteArray::fromRawData(name, qsizetype(length)));
    const qsizetype n = std::min(decoded.size(), qsizetype(length));
    std::copy_n(reinterpret_cast<const char16_t *>(decoded.constData()), n, out);
    return n;
}

// QStringView::compare ignoring case, the same order, without its cost on
// the plain ASCII head most names have: that is compared here, the rest by
// Qt from the first character outside it.
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

// A hash of the characters, four at a time: cheap enough to run on every
// song. Equal texts have equal hashes; the texts decide the rest.
quint64 baseHash(QStringView text)
{
    const char16_t *c = text.utf16();
    qsizetype n = text.size();
    quint64 h = quint64(n) * 0x9E3779B97F4A7C15ULL;
    for (; n >= 4; n -= 4, c += 4) {
        quint64 word;
        std::memcpy(&word, c, sizeof word);
        h = (h ^ word) * 0x100000001b3ULL;
        h ^= h >> 29;
    }
    for (; n > 0; --n, ++c)
        h = (h ^ *c) * 0x100000001b3ULL;
    return h;
}

// The order of the listing, for names whose first eight characters do not
// decide it: ignoring case, then as written. a and b lower-cased are
// loweredA and loweredB when they are all ASCII (else null).
Q_NEVER_INLINE bool nameLess(QStringView a, const char *loweredA, QStringView b, const char *loweredB)
{
    int c;
    if (loweredA && loweredB) {
        const qsizetype n = std::min(a.size(), b.size());
        c = n > 8 ? std::memcmp(loweredA + 8, loweredB + 8, size_t(n - 8)) : 0;
        if (c == 0 && a.size() != b.size())
            c = a.size() < b.size() ? -1 : 1;
    } else {
        c = compareIgnoringCase(a, b);
    }
    return c != 0 ? c < 0 : units(a) < units(b);
}

} // namespace

bool listedBefore(QStringView a, QStringView b)
{
    return nameLess(a, nullptr, b, nullptr);
}

bool listedBefore(NodeText a, NodeText b)
{
    const NodeTextUtf16 first(a);
    const NodeTextUtf16 second(b);
    return listedBefore(first.view(), second.view());
}

QStringList FolderListing::names() const
{
    QStringList out;
    out.reserve(qsizetype(Songs.size()));
    for (const Song &s : Songs)
        out.append(s.Name.toString());
    return out;
}

void FolderLister::addSong(qsizetype at, qsizetype length, qsizetype foldedAt, const struct stat *st)
{
    SortItem item{0, quint32(songNames.size()), true};
    if (foldedAt >= 0 && length >= 8) {
        // The lower-cased bytes are there already: eight of them, read as
        // one big-endian number.
        quint64 bytes;
        std::memcpy(&bytes, folded.data() + foldedAt, sizeof bytes);
        item.prefix = qFromBigEndian(bytes);
    } else {
        const char16_t *chars = decoded.data() + at;
        for (qsizetype i = 0; i < 8; ++i) {
            const char16_t c = i < length ? chars[i] : 0;
            item.prefixValid = item.prefixValid && c < 0x80;
            item.prefix = item.prefix << 8 | quint64(c >= u'A' && c <= u'Z' ? c + 32 : c & 0x7f);
        }
    }
    qint64 size = -1;
    qint64 modifiedNs = 0;
    if (st) {
        size = qint64(st->st_size);
        modifiedNs = qint64(st->st_mtim.tv_sec) * 1000000000LL + st->st_mtim.tv_nsec;
    }
    songNames.push_back({at, length, foldedAt, false, size, modifiedNs});
    items.push_back(item);
}

// Sorts the songs by name ignoring case, then by name as written: the order
// compareIgnoringCase gives. A name of ASCII characters only is compared as
// its bytes lower-cased, made once per name instead of once per comparison,
// and mostly by its first eight alone.
void FolderLister::sortSongs()
{
    const char *lowered = folded.data();
    const char16_t *chars = decoded.data();
    const Name *all = songNames.data();
    std::sort(items.begin(), items.end(), [lowered, chars, all](const SortItem &x, const SortItem &y) {
        // No name holds a NUL, and the first characters of both are ASCII:
        // the first difference is in there, or they are the same.
        if (x.prefixValid && y.prefixValid && x.prefix != y.prefix)
            return x.prefix < y.prefix;
        const Name &a = all[x.name];
        const Name &b = all[y.name];
        return nameLess(QStringView(chars + a.at, a.length), a.foldedAt >= 0 ? lowered + a.foldedAt : nullptr,
                        QStringView(chars + b.at, b.length), b.foldedAt >= 0 ? lowered + b.foldedAt : nullptr);
    });
}

void FolderLister::keepSongs(TextArena &names, QStringView keyPrefix)
{
    // In the order of the tree: a pass over the tree, the search's, reads
    // the names front to back.
    listing.Songs.clear();
    listing.Songs.reserve(std::max<size_t>(items.size(), 8192));
    const bool prefixFits = fitsLatin1(keyPrefix);
    for (const SortItem &item : items) {
        const Name &name = songNames[item.name];
        const QStringView chars(decoded.data() + name.at, name.length);
        const qsizetype length = keyPrefix.size() + name.length;
        NodeText kept;
        if (prefixFits && (name.foldedAt >= 0 || fitsLatin1(chars))) {
            char *room = names.reserveLatin1(length);
            writeLatin1(keyPrefix, room);
            writeLatin1(chars, room + keyPrefix.size());
            kept = names.commit(room, length);
        } else {
            char16_t *room = names.reserve(length);
            std::copy_n(keyPrefix.utf16(), keyPrefix.size(), room);
            std::copy_n(chars.utf16(), chars.size(), room + keyPrefix.size());
            kept = names.commit(room, length);
        }
        listing.Songs.push_back({kept.mid(keyPrefix.size()), name.hasTimestamps, name.size, name.modifiedNs});
    }
}

void FolderLister::addEntry(int dir, const dirent64 *entry)
{
    const char *name = entry->d_name;
    if (name[0] == '.') // hidden, and "." and ".."
        return;
    const size_t length = std::strlen(name);
    if (length <= 4)
        return;
    // Both extensions are ASCII, and no other character folds to theirs:
    // the bytes tell what the decoded name would.
    const char *ext = name + length - 4;
    const bool isSong = ext[0] == '.' && lowerAscii(ext[1]) == 't' && lowerAscii(ext[2]) == 'x'
        && lowerAscii(ext[3]) == 't';
    const bool isStamp = !isSong && std::memcmp(ext, ".kas", 4) == 0;
    if (!isSong && !isStamp)
        return;
    struct stat st;
    const bool stamped = isSong && withStamps;
    if (stamped ? fstatat(dir, name, &st, 0) != 0 || !S_ISREG(st.st_mode) : !isRegularFile(dir, entry))
        return;
    bool ascii = false;
    if (isSong) {
        const size_t at = decoded.size();
        decoded.resize(at + length);
        const size_t foldedAt = folded.size();
        folded.resize(foldedAt + length);
        const qsizetype n = decodeName(name, length, decoded.data() + at, folded.data() + foldedAt, ascii);
        decoded.resize(at + size_t(n));
        if (!ascii)
            folded.resize(foldedAt);
        addSong(qsizetype(at), n, ascii ? qsizetype(foldedAt) : -1, stamped ? &st : nullptr);
    } else {
        char16_t *room = stampNames.reserve(qsizetype(length));
        const QStringView stamp = stampNames.commit(room, decodeName(name, length, room, nullptr, ascii));
        stamps.push_back({baseHash(stamp.chopped(3)), stamp});
    }
}

void FolderLister::start(bool withFileStamps)
{
    withStamps = withFileStamps;
    listing.Songs.clear();
    listing.Readable = false;
    // A song's timestamp file is its name with the last three characters
    // turned into "kas": both are compared without those three.
    stampNames.reset();
    stamps.clear();
    items.clear();
    songNames.clear();
    decoded.clear();
    folded.clear();
    // Room for a folder of the size a large library has, made once: growing
    // step by step would touch new memory at every step.
    items.reserve(8192);
    songNames.reserve(8192);
    decoded.reserve(8192 * 40);
    folded.reserve(8192 * 40);
}

void FolderLister::addEntries(int dir, const char *bytes, ssize_t filled)
{
    for (ssize_t at = 0; at < filled;) {
        const auto *entry = reinterpret_cast<const dirent64 *>(bytes + at);
        at += entry->d_reclen;
        addEntry(dir, entry);
    }
}

const FolderListing &FolderLister::list(const QString &folder, TextArena &names, QStringView keyPrefix,
                                        bool withFileStamps)
{
    start(withFileStamps);
    const int dir = open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return listing;
    // What readdir does, into one buffer kept from folder to folder: a new
    // buffer for each folder would cost its page faults again.
    dirEntries.resize(64 * 1024);
    for (;;) {
        const ssize_t filled = getdents64(dir, dirEntries.data(), dirEntries.size());
        if (filled < 0 && errno == EINTR)
            continue;
        if (filled < 0) {
            // Not the end of the folder: what was not listed is not gone.
            // The folder cannot be read, and says so.
            close(dir);
            return listing;
        }
        if (filled == 0)
            break;
        addEntries(dir, dirEntries.data(), filled);
    }
    close(dir);
    return finish(names, keyPrefix);
}

const FolderListing &FolderLister::list(FolderEntries &entries, TextArena &names, QStringView keyPrefix)
{
    start(false);
    if (entries.dir < 0)
        return listing;
    if (entries.complete)
        addEntries(entries.dir, entries.bytes.data(), ssize_t(entries.bytes.size()));
    close(entries.dir);
    entries.dir = -1;
    if (!entries.complete)
        return listing;
    return finish(names, keyPrefix);
}

const FolderListing &FolderLister::finish(TextArena &names, QStringView keyPrefix)
{
    listing.Readable = true;
    sortSongs();
    findTimestamps();
    keepSongs(names, keyPrefix);
    return listing;
}

void FolderLister::findTimestamps()
{
    if (stamps.empty())
        return;
    // A table by the hash of the part that has to match (open
    // addressing, at most half full), then the part itself.
    size_t tableSize = 16;
    while (tableSize < stamps.size() * 2)
        tableSize *= 2;
    stampTable.assign(tableSize, 0);
    const size_t mask = tableSize - 1;
    for (size_t i = 0; i < stamps.size(); ++i) {
        size_t slot = size_t(stamps[i].hash) & mask;
        while (stampTable[slot] != 0)
            slot = (slot + 1) & mask;
        stampTable[slot] = quint32(i + 1);
    }
    for (Name &song : songNames) {
        const QStringView base(decoded.data() + song.at, song.length - 3);
        const quint64 hash = baseHash(base);
        for (size_t slot = size_t(hash) & mask; stampTable[slot] != 0 && !song.hasTimestamps;
             slot = (slot + 1) & mask) {
            const Stamp &stamp = stamps[stampTable[slot] - 1];
            song.hasTimestamps = stamp.hash == hash && units(stamp.name.chopped(3)) == units(base);
        }
    }
}

bool readFolderEntries(const QByteArray &folder, FolderEntries &into)
{
    into.bytes.clear();
    into.complete = false;
    into.dir = open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (into.dir < 0)
        return false;
    constexpr size_t chunk = 64 * 1024;
    for (;;) {
        const size_t at = into.bytes.size();
        into.bytes.resize(at + chunk);
        const ssize_t filled = getdents64(into.dir, into.bytes.data() + at, chunk);
        if (filled < 0 && errno == EINTR) {
            into.bytes.resize(at);
            continue;
        }
        into.bytes.resize(at + size_t(std::max<ssize_t>(filled, 0)));
        if (filled < 0)
            return false;
        if (filled == 0)
            break;
    }
    into.complete = true;
    return true;
}

FolderReadAhead::FolderReadAhead(const QStringList &folders)
{
    paths.reserve(size_t(folders.size()));
    for (const QString &folder : folders)
        paths.push_back(QFile::encodeName(folder));
    reader = std::thread([this] { readAll(); });
}

FolderReadAhead::~FolderReadAhead()
{
    {
        const std::lock_guard lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    reader.join();
    for (FolderEntries &entries : ready) {
        if (entries.dir >= 0)
            close(entries.dir);
    }
}

void FolderReadAhead::readAll()
{
    for (const QByteArray &path : paths) {
        FolderEntries entries;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [this] { return stopping || ready.size() < Ahead; });
            if (stopping)
                return;
            if (!spare.empty()) {
                entries.bytes = std::move(spare.back());
                spare.pop_back();
            }
        }
        readFolderEntries(path, entries);
        {
            const std::lock_guard lock(mutex);
            ready.push_back(std::move(entries));
        }
        changed.notify_all();
    }
}

FolderEntries FolderReadAhead::take()
{
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return !ready.empty(); });
    FolderEntries entries = std::move(ready.front());
    ready.pop_front();
    lock.unlock();
    changed.notify_all();
    return entries;
}

void FolderReadAhead::giveBack(FolderEntries &&entries)
{
    if (entries.dir >= 0)
        close(entries.dir);
    const std::lock_guard lock(mutex);
    spare.push_back(std::move(entries.bytes));
}

FolderListing listLetterFolder(const QString &folder, bool withStamps)
{
    FolderListing own;
    own.ownNames = std::make_unique<TextArena>(TextArena::Use::Scratch);
    FolderLister lister;
    const FolderListing &listed = lister.list(folder, *own.ownNames, {}, withStamps);
    own.Songs = listed.Songs;
    own.Readable = listed.Readable;
    return own;
}
