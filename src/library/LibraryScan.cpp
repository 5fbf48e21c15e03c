#include "library/LibraryScan.h"

#include "library/FolderListing.h"
#include "library/LibraryTree.h"
#include "library/SongNames.h"

#include <QFileInfo>
#include <QHash>

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

namespace {

// How many of the songs from first on have exactly this artist: the room
// its node's list of songs needs, found before any song is added.
size_t runLength(const std::vector<FolderListing::Song> &songs, size_t first, QStringView artist)
{
    size_t last = first;
    while (last < songs.size() && artistPart(songs[last].Name) == artist)
        ++last;
    return last - first;
}

} // namespace

ScanCounts scanCacheFolder(const QString &cachePath, LibraryTree &tree)
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
    QHash<QStringView, LibraryNode *> artists;
    for (LibraryNode *root : tree.roots())
        artists.insert(root->Key.view(), root);
    LibraryNode *artistNode = nullptr;
    QStringView previousArtist;  // as written in the last file
    QString previousArtistUpper; // the same, upper case
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
        const QString folder = letterFolderName(cachePath, letter);
        if (folder.isEmpty())
            continue;
        const QString keyPrefix = folder + u'/';
        const FolderListing listing = listLetterFolder(cachePath + folder, &tree.texts(), keyPrefix);
        if (!listing.Readable)
            counts.Unreadable.append(folder);
        const std::vector<FolderListing::Song> &songs = listing.Songs;
        for (size_t i = 0; i < songs.size(); ++i) {
            const FolderListing::Song &file = songs[i];
            // Files of one artist come in runs: the same text again needs
            // no upper-casing and no look-up.
            const QStringView artist = artistPart(file.Name);
            if (!artistNode || artist != previousArtist) {
                previousArtist = artist;
                const QString upper = artist.toString().toUpper();
                if (!artistNode || upper != previousArtistUpper) {
                    previousArtistUpper = upper;
                    const QStringView key = tree.texts().keep(artistKey(artist.toString()));
                    LibraryNode *&known = artists[key];
                    if (!known) {
                        const QStringView text = artist.isEmpty() ? tree.texts().keep(noArtistText()) : artist;
                        known = tree.appendKept(nullptr, key, text, NodeImage::Artist);
                    }
                    artistNode = known;
                }
                artistNode->Children.reserve(artistNode->Children.size() + runLength(songs, i, artist));
            }
            tree.appendKept(artistNode, file.key(keyPrefix.size()), songPart(file.Name.chopped(4)),
                            file.HasTimestamps ? NodeImage::SongWithTimestamps : NodeImage::Song);
            ++counts.Lyrics;
            if (file.HasTimestamps)
                ++counts.Timestamps;
        }
    }
    return counts;
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
