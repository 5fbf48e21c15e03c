#include "library/FilterMarkCheck.h"

#include "library/LibraryScan.h"
#include "library/LibraryTree.h"
#include "platform/ThreadPriority.h"
#include "text/TextFile.h"

#include <QElapsedTimer>
#include <QMetaObject>

#include <algorithm>
#include <atomic>

namespace {
// The mark is ASCII: in the code page's text it stands exactly where these
// bytes stand in the file.
constexpr QByteArrayView kFilterMark("] filter used");
// Answers travel back in groups: a picture per event would flood the
// window's queue, one event at the end would show nothing for long.
constexpr size_t kAnswersPerEvent = 64;
} // namespace

struct FilterMarkCheck::Batch
{
    quint64 generation = 0;
    // Touched on the window's thread only.
    std::vector<LibraryNode *> songs;
    // Read by the worker only.
    std::vector<QString> paths;
    std::atomic_bool cancelled = false;
};

FilterMarkCheck::FilterMarkCheck(LibraryTree &libraryTree, QObject *parent) : QObject(parent), tree(libraryTree)
{
    worker.setMaxThreadCount(1);
    // A rescan or a rebuild makes the nodes of a check stale: stop reading.
    connect(&tree, &LibraryTree::resetDone, this, &FilterMarkCheck::dropStale);
    connect(&tree, &LibraryTree::cleared, this, &FilterMarkCheck::dropStale);
}

FilterMarkCheck::~FilterMarkCheck()
{
    for (const auto &batch : batches)
        batch->cancelled = true;
    // Whatever the worker posts before it stops is dropped with this object.
    worker.waitForDone();
}

bool FilterMarkCheck::lacksMark(const QString &path)
{
    return fileContains(path, kFilterMark) == std::optional<bool>(false);
}

void FilterMarkCheck::check(const QString &cachePath, const std::vector<LibraryNode *> &songs)
{
    QElapsedTimer timer;
    timer.start();
    size_t done = 0;
    for (; done < songs.size() && std::chrono::nanoseconds(timer.nsecsElapsed()) < foregroundBudget; ++done) {
        if (lacksMark(cachePath + songs[done]->Key))
            tree.setImage(songs[done], NodeImage::UnfilteredSong);
    }
    if (done == songs.size())
        return;

    auto batch = std::make_shared<Batch>();
    batch->generation = tree.generation();
    batch->songs.assign(songs.begin() + std::ptrdiff_t(done), songs.end());
    batch->paths.reserve(batch->songs.size());
    for (const LibraryNode *song : batch->songs)
        batch->paths.push_back(cachePath + song->Key);
    batches.push_back(batch);
    ++running;
    worker.start([this, batch] {
        // The pool is this check's own: its thread does nothing but this.
        runAtIdlePriority("Filter marks");
        std::vector<bool> lacking;
        size_t first = 0;
        auto send = [&] {
            QMetaObject::invokeMethod(
                this, [this, batch, first, lacking] { apply(batch, first, lacking); }, Qt::QueuedConnection);
            first += lacking.size();
            lacking.clear();
        };
        for (const QString &path : batch->paths) {
            if (batch->cancelled)
                break;
            lacking.push_back(lacksMark(path));
            if (lacking.size() == kAnswersPerEvent)
                send();
        }
        if (!lacking.empty())
            send();
        QMetaObject::invokeMethod(this, [this] { batchDone(); }, Qt::QueuedConnection);
    });
}

void FilterMarkCheck::apply(const std::shared_ptr<Batch> &batch, size_t first, const std::vector<bool> &lacking)
{
    // The nodes are the tree's only while its generation stands; a node
    // taken out since (a filter pass, a deletion) shows nowhere.
    if (batch->cancelled || batch->generation != tree.generation())
        return;
    for (size_t i = 0; i < lacking.size(); ++i) {
        LibraryNode *song = batch->songs[first + i];
        if (lacking[i] && song->inTree())
            tree.setImage(song, NodeImage::UnfilteredSong);
    }
}

void FilterMarkCheck::batchDone()
{
    // Batches end in the order they started: the worker has one thread.
    if (!batches.empty())
        batches.erase(batches.begin());
    if (--running == 0)
        Q_EMIT idle();
}

void FilterMarkCheck::dropStale()
{
    for (const auto &batch : batches) {
        if (batch->generation != tree.generation())
            batch->cancelled = true;
    }
}
