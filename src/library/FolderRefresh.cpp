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

int folderRank(QStringView key)
{
    const char16_t c = key.isEmpty() ? u'\0' : key.front().unicode();
    return c >= u'a' && c <= u'z' ? c - u'a' : c - u'A';
}

QStringView fileNameOf(QStringView key)
{
    return key.mid(kFolderPartLength);
}

// Whether the song keyed a comes before the one keyed b in a scan: letter
// folders from A to Z, each in the order of its listing.
bool scannedBefore(QStringView a, QStringView b)
{
    const int folderA = folderRank(a);
    const int folderB = folderRank(b);
    if (folderA != folderB)
        return folderA < folderB;
    return listedBefore(fileNameOf(a), fileNameOf(b));
}

// The artist's name as a scan spells its node: as in its first song.
QStringView spelling(const LibraryNode *firstSong, const QString &noArtist)
{
    const QStringView artist = artistPart(fileNameOf(firstSong->Key.view()));
    return artist.isEmpty() ? QStringView(noArtist) : artist;
}

// A scan makes an artist's node at its first song, and spells it the way
// that song does: after songs came and went, the artist still stands and
// reads where a scan would put it.
bool standsAsScanned(const LibraryTree &tree, const LibraryNode *artist, const QString &noArtist)
{
    if (artist->Children.empty() || artist->Text.view() != spelling(artist->Children.front(), noArtist))
        return false;
    const QStringView first = artist->Children.front()->Key.view();
    const NodeList &roots = tree.roots();
    const std::size_t row = std::size_t(artist->Row);
    if (row > 0 && !scannedBefore(roots[row - 1]->Children.front()->Key.view(), first))
        return false;
    return row + 1 >= roots.size() || scannedBefore(first, roots[row + 1]->Children.front()->Key.view());
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

    // False when a folder is not a letter folder there now, cannot be
    // read, or more than mostChanges files changed.
    bool compare(const QStringList &folders, std::size_t mostChanges);
    void removeGone(FolderRefresh &result);
    void changePictures(FolderRefresh &result);
    void insertAdded(FolderRefresh &result);
    // Every artist that gained or lost songs stands as a scan would put it.
    bool artistsStandAsScanned() const;

private:
    void indexTree(const bool (&changed)[128]);
    LibraryNode *artistFor(QStringView key, QStringView artistName);

    const QString &cachePath;
    LibraryTree &tree;
    const QString noArtist = noArtistText();
    QHash<QStringView, LibraryNode *> artists; // by key
    QHash<QStringView, LibraryNode *> known;   // the changed folders' songs by key; then those gone
    // The names are listed into a scratch store: only those of new songs
    // are kept in the tree.
    TextArena listed;
    std::vector<FolderListing::Song> added;
    std::vector<LibraryNode *> stampsChanged;
    QSet<LibraryNode *> touched;
};

void InPlace::indexTree(const bool (&changed)[128])
{
    artists.reserve(qsizetype(tree.roots().size()));
    for (LibraryNode *root : tree.roots()) {
        artists.insert(root->Key.view(), root);
        for (LibraryNode *song : root->Children) {
            const QStringView key = song->Key.view();
            if (key.size() > kFolderPartLength && key[0].unicode() < 128 && changed[key[0].unicode()])
                known.insert(key, song);
        }
    }
}

bool InPlace::compare(const QStringList &folders, std::size_t mostChanges)
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
    for (const QString &folder : folders) {
        const QString keyPrefix = folder + u'/';
        const FolderListing &listing = lister.list(cachePath + folder, listed, keyPrefix);
        if (!listing.Readable)
            return false;
        for (const FolderListing::Song &song : listing.Songs) {
            const auto found = known.constFind(song.key(keyPrefix.size()));
            if (found == known.cend()) {
                added.push_back(song);
                continue;
            }
            if (song.HasTimestamps != ((*found)->Image == NodeImage::SongWithTimestamps))
                stampsChanged.push_back(*found);
            known.erase(found);
        }
        if (added.size() + std::size_t(known.size()) + stampsChanged.size() > mostChanges)
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
            artists.remove(artist->Key.view());
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

LibraryNode *InPlace::artistFor(QStringView key, QStringView artistName)
{
    const QString artistKeyText = artistKey(artistName.toString());
    if (LibraryNode *artist = artists.value(QStringView(artistKeyText), nullptr))
        return artist;
    // A new artist, among the others where its first song puts it.
    const NodeList &roots = tree.roots();
    const auto before = std::partition_point(roots.begin(), roots.end(), [&](const LibraryNode *root) {
        return !root->Children.empty() && scannedBefore(root->Children.front()->Key.view(), key);
    });
    TextArena &texts = tree.texts();
    const QStringView keptKey = texts.keep(artistKeyText);
    LibraryNode *artist = tree.insertKept(nullptr, int(before - roots.begin()), keptKey,
                                          artistName.isEmpty() ? texts.keep(noArtist) : artistName,
                                          NodeImage::Artist);
    artists.insert(keptKey, artist);
    return artist;
}

void InPlace::insertAdded(FolderRefresh &result)
{
    for (const FolderListing::Song &file : added) {
        const QStringView key = tree.texts().keep(file.key(kFolderPartLength));
        const QStringView name = fileNameOf(key);
        LibraryNode *artist = artistFor(key, artistPart(name));
        const NodeList &songs = artist->Children;
        const auto at = std::partition_point(songs.begin(), songs.end(), [&](const LibraryNode *song) {
            return scannedBefore(song->Key.view(), key);
        });
        LibraryNode *song = tree.insertKept(artist, int(at - songs.begin()), key, songPart(name.chopped(4)),
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
    if (!refresh.compare(folders, mostChanges))
        return result;
    refresh.removeGone(result);
    refresh.changePictures(result);
    refresh.insertAdded(result);
    result.Applied = refresh.artistsStandAsScanned();
    return result;
}
