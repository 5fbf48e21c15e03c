#include "library/FolderRefresh.h"

#include "library/FolderListing.h"
#include "library/LibraryScan.h"
#include "library/LibraryTree.h"
#include "library/SongNames.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace {

// A song's key is "D/F": its letter folder, then its file name.
constexpr qsizetype kFolderPartLength = 2;

int folderRank(NodeText key)
{
    const char16_t c = key.isEmpty() ? u'\0' : key.front();
    return c >= u'a' && c <= u'z' ? c - u'a' : c - u'A';
}

// Whether the song keyed a comes before the one keyed b in a scan: letter
// folders from A to Z, each in the order of its listing.
bool scannedBefore(NodeText a, NodeText b)
{
    const int folderA = folderRank(a);
    const int folderB = folderRank(b);
    if (folderA != folderB)
        return folderA < folderB;
    return listedBefore(keyFileName(a), keyFileName(b));
}

// The artist's name as a scan spells its node: as in its first song.
NodeText spelling(const LibraryNode *firstSong, const QString &noArtist)
{
    const NodeText artist = artistPart(keyFileName(firstSong->Key));
    return artist.isEmpty() ? NodeText(QStringView(noArtist)) : artist;
}

// A scan makes an artist's node at its first song, and spells it the way
// that song does: after songs came and went, the artist still stands and
// reads where a scan would put it.
bool standsAsScanned(const LibraryTree &tree, const LibraryNode *artist, const QString &noArtist)
{
    if (artist->Children.empty() || artist->Text != spelling(artist->Children.front(), noArtist))
        return false;
    const NodeText first = artist->Children.front()->Key;
    const NodeList &roots = tree.roots();
    const std::size_t row = std::size_t(artist->Row);
    if (row > 0 && !scannedBefore(roots[row - 1]->Children.front()->Key, first))
        return false;
    return row + 1 >= roots.size() || scannedBefore(first, roots[row + 1]->Children.front()->Key);
}

bool isLetterFolder(const QString &cachePath, const QString &folder)
{
    if (folder.size() != 1)
        return false;
    const char16_t c = folder.front().unicode();
    const char16_t upper = c >= u'a' && c <= u'z' ? char16_t(c - 32) : c;
    return upper >= u'A' && upper <= u'Z' && letterFolderName(cachePath, upper) == folder;
}

// One refresh: what the tree holds in the changed folders, against what
// the disk holds there, then the difference taken into the tree.
class InPlace
{
public:
    InPlace(const QString &cacheFolder, LibraryTree &libraryTree) : cachePath(cacheFolder), tree(libraryTree) {}

    // False when a folder is not a letter folder there now, or more than
    // mostChanges files changed. A folder that cannot be listed is left as
    // it is, and named in unreadable.
    bool compare(const QStringList &folders, std::size_t mostChanges, QStringList &unreadable);
    void removeGone(FolderRefresh &result);
    void changePictures(FolderRefresh &result);
    void insertAdded(FolderRefresh &result);
    // Every artist that gained or lost songs stands as a scan would put it.
    bool artistsStandAsScanned() const;

private:
    void indexTree(const bool (&changed)[128]);
    LibraryNode *artistFor(NodeText key, NodeText artistName);

    const QString &cachePath;
    LibraryTree &tree;
    const QString noArtist = noArtistText();
    QHash<NodeText, LibraryNode *> artists; // by key
    QHash<NodeText, LibraryNode *> known;   // the changed folders' songs by key; then those gone
    std::size_t songsIn[128] = {};             // how many of them each folder holds, by its letter
    // The names are listed into a scratch store: only those of new songs
    // are kept in the tree.
    TextArena listed{TextArena::Use::Scratch};
    std::vector<FolderListing::Song> added;
    std::vector<LibraryNode *> stampsChanged;
    QSet<LibraryNode *> touched;
};

void InPlace::indexTree(const bool (&changed)[128])
{
    artists.reserve(qsizetype(tree.roots().size()));
    for (LibraryNode *root : tree.roots()) {
        artists.insert(root->Key, root);
        for (LibraryNode *song : root->Children) {
            const NodeText key = song->Key;
            if (key.size() > kFolderPartLength && key.front() < 128 && changed[key.front()]) {
                known.insert(key, song);
                ++songsIn[key.front()];
            }
        }
    }
}

bool InPlace::compare(const QStringList &folders, std::size_t mostChanges, QStringList &unreadable)
{
    // The folder of each letter as the keys spell it, when it changed.
    bool changed[128] = {};
    for (const QString &folder : folders) {
        if (!isLetterFolder(cachePath, folder))
            return false;
        changed[folder.front().unicode()] = true;
    }
    indexTree(changed);

    FolderLister lister;
    // The songs gone so far are those of the folders listed already that
    // the listings did not find: the folders still to list do not count.
    std::size_t gone = 0;
    for (const QString &folder : folders) {
        const QString keyPrefix = folder + u'/';
        const FolderListing &listing = lister.list(cachePath + folder, listed, keyPrefix);
        std::size_t found = 0;
        if (!listing.Readable) {
            // Not a folder emptied: what it held stays until it can be read.
            unreadable.append(folder);
            for (auto song = known.begin(); song != known.end();)
                song = song.key().startsWith(keyPrefix) ? known.erase(song) : std::next(song);
            continue;
        }
        for (const FolderListing::Song &song : listing.Songs) {
            const auto match = known.constFind(song.key(keyPrefix.size()));
            if (match == known.cend()) {
                added.push_back(song);
                continue;
            }
            if (song.HasTimestamps != ((*match)->Image == NodeImage::SongWithTimestamps))
                stampsChanged.push_back(*match);
            known.erase(match);
            ++found;
        }
        gone += songsIn[folder.front().unicode()] - found;
        if (added.size() + gone + stampsChanged.size() > mostChanges)
            return false;
    }
    // What is left in known has gone from the disk.
    return true;
}

void InPlace::removeGone(FolderRefresh &result)
{
    for (LibraryNode *song : std::as_const(known)) {
        --result.LyricsDelta;
        if (song->Image == NodeImage::SongWithTimestamps)
            --result.TimestampsDelta;
        LibraryNode *artist = song->Parent;
        if (artist && artist->Children.size() <= 1) {
            // A song of the same artist that came meanwhile makes it anew.
            touched.remove(artist);
            artists.remove(artist->Key);
            tree.remove(artist);
        } else {
            tree.remove(song);
            touched.insert(artist);
        }
    }
}

void InPlace::changePictures(FolderRefresh &result)
{
    for (LibraryNode *song : stampsChanged) {
        const bool hasTimestamps = song->Image != NodeImage::SongWithTimestamps;
        tree.setImage(song, hasTimestamps ? NodeImage::SongWithTimestamps : NodeImage::Song);
        result.TimestampsDelta += hasTimestamps ? 1 : -1;
        if (!hasTimestamps)
            result.Unchecked.push_back(song);
    }
}

LibraryNode *InPlace::artistFor(NodeText key, NodeText artistName)
{
    const QString artistKeyText = artistKey(artistName.toString());
    if (LibraryNode *artist = artists.value(NodeText(QStringView(artistKeyText)), nullptr))
        return artist;
    // A new artist, among the others where its first song puts it.
    const NodeList &roots = tree.roots();
    const auto before = std::partition_point(roots.begin(), roots.end(), [&](const LibraryNode *root) {
        return !root->Children.empty() && scannedBefore(root->Children.front()->Key, key);
    });
    TextArena &texts = tree.texts();
    const NodeText keptKey = texts.keep(QStringView(artistKeyText));
    LibraryNode *artist = tree.insertKept(nullptr, int(before - roots.begin()), keptKey,
                                          artistName.isEmpty() ? texts.keep(QStringView(noArtist)) : artistName,
                                          NodeImage::Artist);
    artists.insert(keptKey, artist);
    return artist;
}

void InPlace::insertAdded(FolderRefresh &result)
{
    for (const FolderListing::Song &file : added) {
        const NodeText key = tree.texts().keep(file.key(kFolderPartLength));
        const NodeText name = keyFileName(key);
        LibraryNode *artist = artistFor(key, artistPart(name));
        const NodeList &songs = artist->Children;
        const auto at = std::partition_point(songs.begin(), songs.end(), [&](const LibraryNode *song) {
            return scannedBefore(song->Key, key);
        });
        LibraryNode *song = tree.insertKept(artist, int(at - songs.begin()), key, songTitle(name),
                                            file.HasTimestamps ? NodeImage::SongWithTimestamps : NodeImage::Song);
        touched.insert(artist);
        ++result.LyricsDelta;
        if (file.HasTimestamps)
            ++result.TimestampsDelta;
        else
            result.Unchecked.push_back(song);
    }
}

bool InPlace::artistsStandAsScanned() const
{
    return std::all_of(touched.begin(), touched.end(), [this](const LibraryNode *artist) {
        return !artist->inTree() || standsAsScanned(tree, artist, noArtist);
    });
}

} // namespace

FolderRefresh refreshLetterFolders(const QString &cachePath, const QStringList &folders, LibraryTree &tree,
                                   std::size_t mostChanges)
{
    FolderRefresh result;
    InPlace refresh(cachePath, tree);
    if (!refresh.compare(folders, mostChanges, result.Unreadable))
        return result;
    {
        // The collection is numbered once, after the last change.
        const TreeChanges changes(tree);
        refresh.removeGone(result);
        refresh.changePictures(result);
        refresh.insertAdded(result);
    }
    result.Applied = refresh.artistsStandAsScanned();
    return result;
}
