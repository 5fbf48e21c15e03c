#include "library/LibraryChecks.h"

#include "library/LibraryScan.h"
#include "library/LibraryTree.h"

#include <atomic>

using namespace Qt::StringLiterals;

namespace {

#ifdef NDEBUG
std::atomic<bool> checking{false};
#else
std::atomic<bool> checking{true};
#endif

// The snapshot in the tree's order, each song under the artist before it;
// its songs and songs with timestamps counted.
QString snapshotProblem(const TreeNodeRecords &snapshot, int &songs, int &stamped)
{
    NodeText artist;
    bool artistHasSongs = true;
    for (const TreeNodeRecord &record : snapshot) {
        if (!record.IsLeaf) {
            if (!artistHasSongs)
                return u"the snapshot's artist %1 has no songs"_s.arg(artist.toString());
            artist = record.Key;
            artistHasSongs = false;
            continue;
        }
        if (artist.isNull() || record.ParentKey != artist)
            return u"the snapshot's song %1 does not follow its artist"_s.arg(record.Key.toString());
        artistHasSongs = true;
        ++songs;
        if (record.Image == NodeImage::SongWithTimestamps)
            ++stamped;
    }
    return artistHasSongs ? QString() : u"the snapshot's last artist has no songs"_s;
}

} // namespace

bool LibraryChecks::enabled()
{
    return checking.load(std::memory_order_relaxed);
}

void LibraryChecks::setEnabled(bool on)
{
    checking.store(on, std::memory_order_relaxed);
}

QString LibraryChecks::problem(const LibraryTree &tree, const TreeNodeRecords &snapshot, int lyrics, int timestamps,
                               bool searched)
{
    if (QString broken = tree.checkInvariants(); !broken.isEmpty())
        return broken;
    if (lyrics < 0 || timestamps < 0)
        return u"a negative count: %1 lyrics, %2 timestamps"_s.arg(lyrics).arg(timestamps);
    int songs = 0;
    int stamped = 0;
    if (QString broken = snapshotProblem(snapshot, songs, stamped); !broken.isEmpty())
        return broken;
    if (songs != lyrics || stamped != timestamps) {
        return u"the counts say %1 lyrics and %2 timestamps, the snapshot holds %3 and %4"_s.arg(lyrics)
            .arg(timestamps)
            .arg(songs)
            .arg(stamped);
    }
    // The tree's nodes in the snapshot, in the same order: all of them
    // unless a search narrows the tree.
    std::size_t at = 0;
    for (int i = 1; i <= tree.count(); ++i) {
        const LibraryNode *n = tree.node(i);
        while (at < snapshot.size() && snapshot[at].Node != n && searched)
            ++at;
        if (at >= snapshot.size() || snapshot[at].Node != n)
            return u"the tree's node %1 (%2) is not the snapshot's next"_s.arg(i).arg(n->Key.toString());
        ++at;
    }
    if (!searched && at != snapshot.size())
        return u"the tree holds %1 nodes, the snapshot %2"_s.arg(tree.count()).arg(snapshot.size());
    return {};
}
