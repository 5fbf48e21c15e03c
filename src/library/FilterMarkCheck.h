#pragma once

// The one-time check an artist gets when it is first opened: each of its
// songs whose file lacks the downloader's filter mark ("] filter used")
// gets the grey picture; a song whose file cannot be read keeps its own.
//
// Reading every file of an artist with thousands of songs takes longer than
// a window may stand still, above all when the files are not in the page
// cache. So the files are read on the window's thread only for a short
// while; what is left is read on a worker thread, and the pictures are set
// back on the window's thread as the answers come in, as long as the tree
// still holds the same nodes (no rescan, no rebuild from the snapshot in
// between). Each file is read only until the mark shows.

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <chrono>
#include <memory>
#include <vector>

class LibraryTree;
struct LibraryNode;

class FilterMarkCheck : public QObject
{
    Q_OBJECT

public:
    explicit FilterMarkCheck(LibraryTree &tree, QObject *parent = nullptr);
    ~FilterMarkCheck() override;

    // Checks these songs of the tree, whose files are cachePath + key.
    void check(const QString &cachePath, const std::vector<LibraryNode *> &songs);
    // Some check still has files to read or answers to give.
    bool busy() const { return running > 0; }
    // How long a check may read on this thread before it hands the rest to
    // the worker (tests give 0 to have the worker do it all).
    void setForegroundBudget(std::chrono::nanoseconds budget) { foregroundBudget = budget; }
    // Waits until the worker has read every file it was handed; its answers
    // then wait in this thread's queue.
    void waitForReads() { worker.waitForDone(); }

    // Whether the file at path lacks the mark; false also when it cannot
    // be read.
    static bool lacksMark(const QString &path);

Q_SIGNALS:
    // Every check started has set its pictures, or was dropped.
    void idle();

private:
    struct Batch;
    void apply(const std::shared_ptr<Batch> &batch, size_t first, const std::vector<bool> &lacking);
    void batchDone();
    void dropStale();

    LibraryTree &tree;
    QThreadPool worker;
    std::chrono::nanoseconds foregroundBudget = std::chrono::milliseconds(20);
    std::vector<std::shared_ptr<Batch>> batches;
    int running = 0;
};
