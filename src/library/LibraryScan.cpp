#include "library/LibraryScan.h"

#include "library/FolderListing.h"
#include "library/LibraryTree.h"
#include "library/SongNames.h"

#include <QFileInfo>
#include <QHash>
#include <QThread>

#include <algorithm>

using namespace Qt::StringLiterals;

QString letterFolderName(const QString &cachePath, char16_t upperLetter)
{
    const QString upper(QChar{upperLetter});
    if (QFileInfo(cachePath + upper).isDir())
        return upper;
    // The downloader's platform finds folders whatever their case; here the
    // exact name wins, and a lower-case folder stands in when it is alone.
    const QString lower = upper.toLower();
    if (QFileInfo(cachePath + lower).isDir())
        return lower;
    return {};
}

QStringList letterFolders(const QString &cachePath)
{
    QStringList folders;
    if (cachePath.isEmpty())
        return folders;
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
        if (QString folder = letterFolderName(cachePath, letter); !folder.isEmpty())
            folders.append(std::move(folder));
    }
    return folders;
}

namespace {

// The songs known holds in the folder whose keys start with keyPrefix, in
// the order a listing gives them, their keys kept in names.
std::vector<FolderListing::Song> knownSongs(const TreeNodeRecords &known, QStringView keyPrefix, TextArena &names)
{
    std::vector<FolderListing::Song> songs;
    for (const TreeNodeRecord &record : known) {
        if (record.IsLeaf && record.Key.startsWith(keyPrefix)) {
            const NodeText key = names.keep(record.Key);
            songs.push_back({key.mid(keyPrefix.size()), record.Image == NodeImage::SongWithTimestamps});
        }
    }
    std::sort(songs.begin(), songs.end(), [](const FolderListing::Song &a, const FolderListing::Song &b) {
        return listedBefore(a.Name, b.Name);
    });
    return songs;
}

bool isAscii(QLatin1StringView text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return uchar(c) < 0x80; });
}

char upperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 32) : c;
}

// Whether a and b are the same in upper case, as QString::toUpper makes
// them. Most names are ASCII, where that needs no conversion at all.
bool sameInUpperCase(NodeText a, NodeText b)
{
    if (a.isLatin1() && b.isLatin1()) {
        const QLatin1StringView x = a.latin1View();
        const QLatin1StringView y = b.latin1View();
        if (isAscii(x) && isAscii(y))
            return x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin(), [](char p, char q) {
                       return upperAscii(p) == upperAscii(q);
                   });
    }
    return a.toString().toUpper() == b.toString().toUpper();
}

// artistKey(artist), kept in texts.
NodeText keepArtistKey(TextArena &texts, NodeText artist)
{
    if (artist.isEmpty() || !artist.isLatin1())
        return texts.keep(artistKey(artist.toString()));
    const QLatin1StringView name = artist.latin1View();
    if (!isAscii(name))
        return texts.keep(artistKey(artist.toString()));
    char *room = texts.reserveLatin1(name.size());
    std::transform(name.begin(), name.end(), room, [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; });
    return texts.commit(room, name.size());
}

} // namespace

ScanCounts scanCacheFolder(const QString &cachePath, LibraryTree &tree, const TreeNodeRecords *known)
{
    ScanCounts counts;
    if (cachePath.isEmpty() || !QFileInfo(cachePath).isDir())
        return counts;
    counts.FolderFound = true;

    BulkChange bulk(tree);
    // Artists by key; song keys ("D/F") are new by construction, so they
    // need no lookup at all. Every text stays in the tree's keeping: a
    // song's key is its file name as listed, its text and its artist's text
    // are parts of that name.
    QHash<NodeText, LibraryNode *> artists;
    for (LibraryNode *root : tree.roots())
        artists.insert(root->Key, root);
    FolderLister lister;
    LibraryNode *artistNode = nullptr;
    NodeText previousArtist; // as written in the last file
    std::vector<FolderListing::Song> kept;
    const QStringList folders = letterFolders(cachePath);
    QStringList paths;
    for (const QString &folder : folders)
        paths.append(cachePath + folder);
    FolderReadAhead readAhead(paths);
    for (const QString &folder : folders) {
        const QString keyPrefix = folder + u'/';
        FolderEntries entries = readAhead.take();
        const FolderListing &listing = lister.list(entries, tree.texts(), keyPrefix);
        readAhead.giveBack(std::move(entries));
        const std::vector<FolderListing::Song> *listed = &listing.Songs;
        if (!listing.Readable) {
            counts.Unreadable.append(folder);
            if (known) {
                kept = knownSongs(*known, keyPrefix, tree.texts());
                listed = &kept;
            }
        }
        const std::vector<FolderListing::Song> &songs = *listed;
        for (size_t first = 0; first < songs.size();) {
            // Files of one artist come in runs: the artist is compared in
            // upper case and looked up once per run, and its list of songs
            // gets the room the run needs.
            const NodeText artist = artistPart(songs[first].Name);
            size_t end = first + 1;
            while (end < songs.size() && artistPart(songs[end].Name) == artist)
                ++end;
            if (!artistNode || artist != previousArtist) {
                const bool sameArtist = artistNode && sameInUpperCase(artist, previousArtist);
                previousArtist = artist;
                if (!sameArtist) {
                    const NodeText key = keepArtistKey(tree.texts(), artist);
                    LibraryNode *&found = artists[key];
                    if (!found) {
                        const NodeText text = artist.isEmpty() ? tree.texts().keep(noArtistText()) : artist;
                        found = tree.appendKept(nullptr, key, text, NodeImage::Artist);
                    }
                    artistNode = found;
                }
            }
            tree.reserveChildren(artistNode, artistNode->Children.size() + (end - first));
            for (size_t i = first; i < end; ++i) {
                const FolderListing::Song &file = songs[i];
                tree.appendKept(artistNode, file.key(keyPrefix.size()), songTitle(file.Name),
                                file.HasTimestamps ? NodeImage::SongWithTimestamps : NodeImage::Song);
                ++counts.Lyrics;
                if (file.HasTimestamps)
                    ++counts.Timestamps;
            }
            first = end;
        }
    }
    tree.releaseUnusedRoom();
    return counts;
}

ScanAhead::ScanAhead(const QString &cachePath) : path(cachePath)
{
    QThread *home = QThread::currentThread();
    result = std::async(std::launch::async, [cachePath, home] {
        Result r;
        r.tree = std::make_unique<LibraryTree>();
        r.counts = scanCacheFolder(cachePath, *r.tree);
        // Nothing is connected to it yet; from now on it belongs to the
        // thread that takes it.
        r.tree->moveToThread(home);
        return r;
    });
}

ScanAhead::~ScanAhead()
{
    if (result.valid())
        result.wait();
}

ScanAhead::Result ScanAhead::take()
{
    return result.get();
}

TreeNodeRecords TakeTreeSnapshot(const LibraryTree &tree)
{
    return tree.snapshot();
}

void RestoreTree(LibraryTree &tree, const TreeNodeRecords &snapshot)
{
    tree.restore(snapshot);
}

QString countsCaption(int lyrics, int timestamps)
{
    return u"%1 lyrics\n%2 timestamps"_s.arg(lyrics).arg(timestamps);
}
