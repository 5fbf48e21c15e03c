#pragma once

// Takes what changed in some letter folders on disk into a library tree
// that holds the whole library, in place: the songs that came are inserted
// where a scan would put them, those that went are taken out (with their
// artist when it was the last), and a song whose timestamp file came or
// went changes its picture. Only the changed folders are listed again, and
// the tree tells its observers row by row, so a view keeps what is open,
// selected and scrolled to.

#include <QString>
#include <QStringList>

#include <cstddef>
#include <vector>

class LibraryTree;
struct LibraryNode;

struct FolderRefresh
{
    // False when the change is not one the tree can take in place: a
    // folder came or went, too many files changed at once, or an artist
    // would be spelled or placed anew. The tree may then be partly changed,
    // and has to be read again whole.
    bool Applied = false;
    // Folders that could not be listed (whole): their songs stay as they
    // were in the tree.
    QStringList Unreadable;
    int LyricsDelta = 0;
    int TimestampsDelta = 0;
    // Songs that came, and songs that lost their timestamp file: what the
    // filter-mark check of an open artist has not seen.
    std::vector<LibraryNode *> Unchecked;
};

// Beyond this many changed files at once a whole scan costs about the same.
inline constexpr std::size_t MostChangesInPlace = 256;

FolderRefresh refreshLetterFolders(const QString &cachePath, const QStringList &folders, LibraryTree &tree,
                                   std::size_t mostChanges = MostChangesInPlace);
