#pragma once

// Keeps the lyrics index of a cache folder in line with it, on a thread of its
// own with a connection of its own. Driven by queued calls; reports by
// signals. A pass over the folder (sync) reads only the files that are new or
// changed by size or modification time, and commits in small batches so that
// searches see the progress, a crash loses little, and the calls queued
// meanwhile (one song edited or deleted, a stop) are served between batches.

#include "lyricsindex/LyricsIndex.h"
#include "lyricsindex/LyricsSyncReport.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <vector>

class LyricsIndexWorker : public QObject
{
    Q_OBJECT

public:
    // In the worker's thread, between passes.
    void setMostKeysKept(std::size_t keys) { mostKeysKept = keys; }
    // indexFolder: where the index files live.
    explicit LyricsIndexWorker(const QString &indexFolder, QObject *parent = nullptr);
    ~LyricsIndexWorker() override;

    // From any thread: the running pass stops at the next file, a running
    // statement is interrupted, and no more work is taken.
    void cancel();

public Q_SLOTS:
    // Opens the folder's index (made or rebuilt as needed) and brings it in line.
    void sync(const QString &cachePath);
    // The same from an empty index file: after damage was found.
    void rebuild(const QString &cachePath);
    // One song's file (key "X/Artist - Song.txt") was written or removed.
    void reindex(const QString &key);
    void remove(const QString &key);
    // Closes the index.
    void stop();

Q_SIGNALS:
    // Every signal names the cache folder (with its trailing '/') of the
    // request it answers: the engine may have moved on to another since.

    // The index file is open and sound: readers may open it now.
    void opened(const QString &cachePath, const QString &indexFile);
    // No index can be had; reason says why.
    void unavailable(const QString &cachePath, const QString &reason);
    // While a pass indexes files: done of total.
    void progress(const QString &cachePath, int done, int total);
    void synced(const QString &cachePath, const LyricsSyncReport &report);
    void songUpdated(const QString &cachePath, const QString &key);
    // The merge that follows a big pass is done.
    void merged(const QString &cachePath);
    // The index file turned out damaged. The worker has closed it and takes no
    // more work until rebuild(); readers must close it before that.
    void damaged(const QString &cachePath, const QString &reason);
    // Writing failed for another reason (a full disk): what is indexed stays.
    void writeFailed(const QString &cachePath, const QString &reason);

private:
    bool ensureOpen(const QString &cachePath, bool fresh);
    void startSync(const QString &cachePath, bool fresh);
    void continueSync(quint64 pass);
    void finishSync(bool complete);
    // The steps of a sync pass: each false when the pass ended in it.
    bool openForSync(const QString &path, bool fresh);
    // Counts the songs new or changed since they were indexed, keeping them
    // in pending while they are few and noting the folders that hold them
    // otherwise, and adds to gone those indexed that are no longer there.
    bool listChanges(QStringList &gone);
    enum class FolderDiff { Read, Unreadable, Failed };
    // One letter folder against the index: changed, when given, gets the
    // keys of its songs new or changed since indexed, gone those no longer
    // there; count adds them to the report.
    FolderDiff diffFolder(const QString &folder, std::vector<QString> *changed, QStringList *gone, bool count);
    // pending becomes the songs to read of the next folder that has any;
    // false when the index failed.
    bool takeNextFolder();
    bool removeSongs(const QStringList &gone);
    void mergeStep(quint64 pass, bool first);
    bool indexSong(const QString &key);
    void failed();
    void closeIndex();

    QString indexFolder;
    QString cachePath; // of the open index, with a trailing '/'
    QString requested; // the folder of the request at hand, the same way
    LyricsIndex index;
    QMutex connectionLock; // cancel() against opening and closing
    std::atomic_bool cancelled{false};
    QString damagedFolder; // whose index waits for rebuild()

    quint64 passNumber = 0;
    bool syncing = false;
    // The songs of one folder to read, from next on; the folders after it.
    std::vector<QString> pending;
    size_t next = 0;
    QStringList foldersToIndex;
    int toIndex = 0; // in this pass, as counted
    // Songs to read that a pass keeps listed at most; beyond, their folders
    // are listed again in turn (a key costs about 130 bytes).
    std::size_t mostKeysKept = 4096;
    int indexed = 0;
    LyricsSyncReport report;
};
