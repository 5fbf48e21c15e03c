#include "library/LibraryScan.h"

#include "library/FolderListing.h"
#include "library/LibraryTree.h"
#include "library/SongNames.h"

#include <QFileInfo>
#include <QHash>

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

ScanCounts scanCacheFolder(const QString &cachePath, LibraryTree &tree)
{
    ScanCounts counts;
    if (cachePath.isEmpty() || !QFileInfo(cachePath).isDir())
        return counts;
    counts.FolderFound = true;

    BulkChange bulk(tree);
    // Artists by key; song keys ("D/F") are new by construction, so they
    // need no lookup at all.
    QHash<QString, LibraryNode *> artists;
    for (LibraryNode *root : tree.roots())
        artists.insert(root->Key, root);
    LibraryNode *artistNode = nullptr;
    QString previousArtist;      // as written in the last file
    QString previousArtistUpper; // the same, upper case
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
        const QString folder = letterFolderName(cachePath, letter);
        if (folder.isEmpty())
            continue;
        const FolderListing listing = listLetterFolder(cachePath + folder);
        if (!listing.Readable)
            counts.Unreadable.append(folder);
        const QString keyPrefix = folder + u'/';
        for (const FolderListing::Song &file : listing.Songs) {
            // Files of one artist come in runs: the same text again needs
            // no upper-casing and no look-up.
            const QStringView artist = artistPart(file.Name);
            if (!artistNode || artist != previousArtist) {
                previousArtist = artist.toString();
                const QString upper = previousArtist.toUpper();
                if (!artistNode || upper != previousArtistUpper) {
                    previousArtistUpper = upper;
                    const QString key = artistKey(previousArtist);
                    LibraryNode *&known = artists[key];
                    if (!known) {
                        const QString text = previousArtist.isEmpty() ? noArtistText() : previousArtist;
                        known = tree.appendNew(nullptr, key, text, NodeImage::Artist);
                    }
                    artistNode = known;
                }
            }
            const QString song = ExtractSong(QStringView(file.Name).chopped(4));
            tree.appendNew(artistNode, keyPrefix + file.Name, song,
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
    TreeNodeRecords records;
    records.reserve(size_t(tree.count()));
    for (int i = 1; i <= tree.count(); ++i) {
        const LibraryNode *n = tree.node(i);
        TreeNodeRecord r;
        r.Text = n->Text;
        r.Key = n->Key;
        r.Image = n->Image;
        r.IsLeaf = !n->hasChildren();
        r.ChildCount = int(n->Children.size());
        r.Node = const_cast<LibraryNode *>(n);
        r.Generation = tree.generation();
        if (r.IsLeaf && n->Parent) {
            r.ParentKey = n->Parent->Key;
            r.ParentRecord = n->Parent->Index - 1;
        }
        records.push_back(std::move(r));
    }
    return records;
}

void RestoreTree(LibraryTree &tree, const TreeNodeRecords &snapshot)
{
    // Since the snapshot was taken its nodes have only been taken out of the
    // tree, never freed: put them back, no allocation, no copying of texts.
    const bool sameNodes = std::all_of(snapshot.begin(), snapshot.end(), [&](const TreeNodeRecord &r) {
        return r.Node && r.Generation == tree.generation();
    });
    if (sameNodes) {
        std::vector<LibraryTree::Relink> relinks;
        relinks.reserve(snapshot.size());
        for (const TreeNodeRecord &r : snapshot) {
            LibraryNode *parent = nullptr;
            if (r.IsLeaf) {
                if (r.ParentRecord < 0 || size_t(r.ParentRecord) >= snapshot.size())
                    continue;
                parent = snapshot[size_t(r.ParentRecord)].Node;
            }
            relinks.push_back({r.Node, parent, r.Image});
        }
        tree.relink(relinks);
        return;
    }

    BulkChange bulk(tree);
    tree.clear();
    std::vector<LibraryNode *> made(snapshot.size(), nullptr);
    for (size_t i = 0; i < snapshot.size(); ++i) {
        const TreeNodeRecord &r = snapshot[i];
        LibraryNode *parent = nullptr;
        if (r.IsLeaf) {
            // A song whose artist is not (or no longer) in the snapshot has no place.
            if (r.ParentRecord < 0 || size_t(r.ParentRecord) >= i || !made[size_t(r.ParentRecord)])
                continue;
            parent = made[size_t(r.ParentRecord)];
        }
        made[i] = tree.appendNew(parent, r.Key, r.Text, r.Image, r.ChildCount);
    }
}

QString countsCaption(int lyrics, int timestamps)
{
    return u"%1 lyrics\n%2 timestamps"_s.arg(lyrics).arg(timestamps);
}
