#pragma once

// The music side's worker: on a thread of its own, at idle priority, it walks
// the music folder, reads the tags of the files that are new or changed
// since the cache last saw them, and puts lyrics into files. Requests are
// handled one at a time, in order; results come back by queued signals.

#include "music/MusicTrack.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>

class MusicCache;

// One file to put lyrics into.
struct LyricsJob
{
    QString Path;
    QString Entry;    // "Artist - Title", for the summary
    QString SongPath; // the song's lyrics file in the cache
};

struct LyricsJobResult
{
    QString Path;
    QString Entry;
    int Status = 0; // LyricsWrite::Status
    QString Reason;
};

// What became of a batch, file by file.
struct LyricsBatchReport
{
    QList<LyricsJobResult> Results;
    bool Cancelled = false;
};
Q_DECLARE_METATYPE(LyricsBatchReport)

// The track a file's tags (or, without them, its name) make.
MusicTrack readMusicTrack(const QString &path, qint64 size, qint64 modifiedNs);

class MusicReaderWorker;

class MusicReader : public QObject
{
    Q_OBJECT

public:
    // cacheFile: where the tags read are kept (MusicCache::defaultFile() for
    // the program, a temporary file in tests; empty: not kept).
    explicit MusicReader(const QString &cacheFile, QObject *parent = nullptr);
    // Stops the worker between two files and waits for it.
    ~MusicReader() override;

    // Reads the folder (again): only new and changed files are opened.
    void read(const QString &root);
    // Puts lyrics into the files, then reads the folder again.
    void putLyrics(const QList<LyricsJob> &jobs, bool replaceExisting, const QString &root);
    // Stops a batch of writes after the file being written.
    void cancelWriting() { cancelWrites = true; }

Q_SIGNALS:
    void readProgress(int done, int total);
    void readFinished(const MusicReadReportPtr &report);
    void writeProgress(int done, int total, const QString &entry);
    void writeFinished(const LyricsBatchReport &report);

private:
    QThread thread;
    MusicReaderWorker *worker = nullptr;
    std::atomic_bool stopping{false};
    std::atomic_bool cancelWrites{false};
};
