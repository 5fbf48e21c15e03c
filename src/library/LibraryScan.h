#pragma once

// Reads the cache folder's letter folders A to Z into the library tree, and
// copies the tree into a snapshot for the search filter.

#include "library/TreeSnapshot.h"

#include <QString>
#include <QStringList>

#include <future>
#include <memory>

class LibraryTree;
class QThread;

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
// listings only; no lyrics file is opened. Runs as one bulk change. A letter
// folder that cannot be listed keeps the songs known holds in it (the
// library read before), if given: a folder that cannot be read now is not
// a folder emptied.
ScanCounts scanCacheFolder(const QString &cachePath, LibraryTree &tree, const TreeNodeRecords *known = nullptr);

// A scan started ahead, on a thread of its own, while the windows are being
// made: at start-up the cache folder is known before the window that shows
// it exists. The window's tree takes the nodes in the scan's turn, if the
// cache folder is still the one read.
class ScanAhead
{
public:
    explicit ScanAhead(const QString &cachePath);
    // Waits for the scan when nobody took it.
    ~ScanAhead();
    ScanAhead(const ScanAhead &) = delete;
    ScanAhead &operator=(const ScanAhead &) = delete;

    const QString &cachePath() const { return path; }

    struct Result
    {
        // Made on the scan's thread, handed to the thread that started it.
        std::unique_ptr<LibraryTree> tree;
        ScanCounts counts;
    };
    // Waits for the scan to end. Once only.
    Result take();
    // Waits for the scan to end, leaving it to be taken.
    void wait() const { result.wait(); }

private:
    QString path;
    std::future<Result> result;
};

// The letter folder's name as found: the upper-case letter, or the
// lower-case one where only that exists. Empty when there is neither.
QString letterFolderName(const QString &cachePath, char16_t upperLetter);
// The letter folders there now, A to Z, each named as found: the folders
// the library is read from, and the only ones.
QStringList letterFolders(const QString &cachePath);

TreeNodeRecords TakeTreeSnapshot(const LibraryTree &tree);

// Rebuilds the tree from a snapshot, as one bulk change.
void RestoreTree(LibraryTree &tree, const TreeNodeRecords &snapshot);

// The two lines of the counts label: "n lyrics", "m timestamps".
QString countsCaption(int lyrics, int timestamps);
