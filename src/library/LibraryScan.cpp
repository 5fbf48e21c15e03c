#include "library/LibraryScan.h"

#include "library/FolderListing.h"
#include "library/LibraryTree.h"
#include "library/SongNames.h"

#include <QFileInfo>

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

ScanCounts scanCacheFolder(const QString &cachePath, LibraryTree &tree)
{
    ScanCounts counts;
    if (cachePath.isEmpty() || !QFileInfo(cachePath).isDir())
        return counts;
    counts.FolderFound = true;

    BulkChange bulk(tree);
    LibraryNode *artistNode = nullptr;
    QString previousArtist; // upper case
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
        const QString folder = letterFolderName(cachePath, letter);
        if (folder.isEmpty())
            continue;
        const FolderListing listing = listLetterFolder(cachePath + folder);
        const QString keyPrefix = folder + u'/';
        for (const QString &file : listing.Songs) {
            const QString artist = ExtractArtist(file);
            const QString upper = artist.toUpper();
            if (!artistNode || upper != previousArtist) {
                previousArtist = upper;
                artistNode = tree.addRoot(artistKey(artist),
                                          artist.isEmpty() ? noArtistText() : artist,
                                          NodeImage::Artist);
            }
            const bool hasTimestamps = listing.Timestamps.contains(file.chopped(3) + u"kas"_s);
            LibraryNode *song = tree.addChild(artistNode, keyPrefix + file,
                                              ExtractSong(QStringView(file).chopped(4)),
                                              hasTimestamps ? NodeImage::SongWithTimestamps
                                                            : NodeImage::Song);
            if (!song)
                continue;
            ++counts.Lyrics;
            if (hasTimestamps)
                ++counts.Timestamps;
        }
    }
    return counts;
}

TreeNodeRecords TakeTreeSnapshot(const LibraryTree &tree)
{
    TreeNodeRecords records;
    records.reserve(size_t(tree.count()));
    for (int i = 1; i <= tree.count(); ++i) {
        const LibraryNode *n = tree.node(i);
        TreeNodeRecord r;
        r.Text = n->Text;
        r.Key = n->Key;
        r.Image = n->Image;
        r.IsLeaf = !n->hasChildren();
        if (r.IsLeaf && n->Parent)
            r.ParentKey = n->Parent->Key;
        records.push_back(std::move(r));
    }
    return records;
}

void RestoreTree(LibraryTree &tree, const TreeNodeRecords &snapshot)
{
    BulkChange bulk(tree);
    tree.clear();
    for (const TreeNodeRecord &r : snapshot) {
        if (r.IsLeaf)
            tree.addChild(tree.find(r.ParentKey), r.Key, r.Text, r.Image);
        else
            tree.addRoot(r.Key, r.Text, r.Image);
    }
}

QString countsCaption(int lyrics, int timestamps)
{
    return u"%1 lyrics\n%2 timestamps"_s.arg(lyrics).arg(timestamps);
}
