#pragma once

// Reads the cache folder's letter folders A to Z into the library tree, and
// copies the tree into a snapshot for the search filter.

#include "library/TreeSnapshot.h"

#include <QString>
#include <QStringList>

class LibraryTree;

// Images of the node kinds, as indexes into the shared picture list.
namespace NodeImage {
inline constexpr quint8 SongWithTimestamps = 7;
inline constexpr quint8 Artist = 9;
inline constexpr quint8 Song = 10;
inline constexpr quint8 UnfilteredSong = 11;
} // namespace NodeImage

struct ScanCounts
{
    bool FolderFound = false;
    int Lyrics = 0;
    int Timestamps = 0;
    // Letter folders that are there but could not be listed.
    QStringList Unreadable;
};

// Adds one artist node per artist (ignoring case, spelled as first met) and
// one song node per "*.txt" file under it, keyed "D/F". Reads directory
// listings only; no lyrics file is opened. Runs as one bulk change.
ScanCounts scanCacheFolder(const QString &cachePath, LibraryTree &tree);

// The letter folder's name as found: the upper-case letter, or the
// lower-case one where only that exists. Empty when there is neither.
QString letterFolderName(const QString &cachePath, char16_t upperLetter);

TreeNodeRecords TakeTreeSnapshot(const LibraryTree &tree);

// Rebuilds the tree from a snapshot, as one bulk change.
void RestoreTree(LibraryTree &tree, const TreeNodeRecords &snapshot);

// The two lines of the counts label: "n lyrics", "m timestamps".
QString countsCaption(int lyrics, int timestamps);
