#pragma once

// One connection to the lyrics index of one cache folder: an SQLite file with
// an FTS5 table of the songs' artists, titles and lyrics, and a table of the
// files they came from (key, size, modification time) for bringing it in
// line with the folder.
//
// The FTS5 table is contentless: it keeps the index of the words and nothing
// of the text, which stays in the lyrics files (see the report of
// bench_lyricsindex). Contentless rows cannot be deleted without their old
// text, so a song that changes or goes gets a new row and its old row id is
// listed as dead; searches skip dead rows, and when they grow to a good part
// of the index it is emptied and built again.
//
// The index is a cache: a file that is damaged, from another version of this
// program or of another folder is dropped and built anew without asking.
//
// One thread uses one LyricsIndex. The writer (the indexing worker) and any
// readers each open their own; WAL lets readers search while it writes.

#include "lyricsindex/LyricsText.h"
#include "lyricsindex/SqliteDb.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>
#include <vector>

class LyricsIndex
{
public:
    // 2: the program's own folding of words (strokes and ligatures too) and
    // an index of two-letter prefixes.
    static constexpr int kSchemaVersion = 2;

    // $XDG_CACHE_HOME/Vesk/Stanzabox (~/.cache when unset).
    static QString defaultFolder();
    // The index file of a cache folder, in folder: named from a hash of the path.
    static QString fileFor(const QString &folder, const QString &cachePath);

    LyricsIndex();
    ~LyricsIndex();
    LyricsIndex(const LyricsIndex &) = delete;
    LyricsIndex &operator=(const LyricsIndex &) = delete;

    // Creates the folder and the file as needed. A file that is damaged, not
    // readable, from another schema version or of another cache folder is
    // dropped and made anew (startedAfresh() then tells); fresh drops it in
    // any case. False when no index can be had there; errorString() says why.
    // No reader may have the file open while this runs.
    bool openForWriting(const QString &file, const QString &cachePath, bool fresh = false);
    // An index the writer has opened before. Never changes the file.
    bool openForReading(const QString &file);
    void close();
    bool isOpen() const { return db.isOpen(); }
    QString fileName() const { return path; }

    bool startedAfresh() const { return afresh; }
    QString errorString() const { return error; }
    // The last failure means the file is not a sound database.
    bool isDamaged() const { return damaged; }

    // Writing. Changes go into the open transaction, if any.
    bool begin();
    bool commit();
    void rollback();
    // The stamps of the songs of one letter folder, by key.
    bool fileStamps(const QString &folder, QHash<QString, FileStamp> &stamps);
    // Adds to keys the songs of any folder but these.
    bool keysOutside(const QStringList &folders, QStringList &keys);
    std::optional<FileStamp> stampOf(const QString &key);
    // Adds the song, or replaces what the index held for key.
    bool putSong(const QString &key, const FileStamp &stamp, QStringView artist, QStringView title,
                 QStringView lyrics);
    bool removeSong(const QString &key);
    qint64 songCount();
    qint64 deadCount();
    // Empties the index (files, words and dead rows) for a build from scratch.
    bool clear();
    // One step of merging the index's segments into one (faster queries,
    // a smaller file after a big build), writing about pages pages; the
    // first step of a merge starts it. False when there was nothing left to
    // merge or the step failed (errorString() then says why).
    bool mergeStep(bool first, int pages = 500);
    // Makes the writer's running statement fail promptly; any thread.
    void interrupt();

    // Reading.
    struct Hits
    {
        std::vector<QString> Keys; // best first, or in the order of indexing when not Ranked
        int Total = 0;             // how many match; when Cut, how many were counted before the time ran out
        bool Ranked = false;
        bool Cut = false; // too many to count in time: Keys is the first page in the order of indexing
    };
    // Matches beyond this many are not ranked: bm25 costs a few microseconds
    // a song, too much for a keystroke when most of the library matches.
    static constexpr int kMostRanked = 3000;
    // The first limit songs that match the FTS5 expression, by bm25 (when no
    // more than mostRanked match), and how many match in all. Within budget
    // (none when 0): counting may take three fifths of it, ranking what is
    // left; a count that takes longer is cut (Hits::Cut), a ranking that
    // takes longer gives the songs in the order of indexing.
    bool search(const QString &matchExpression, int limit, Hits &hits, std::chrono::nanoseconds budget = {},
                int mostRanked = kMostRanked);

private:
    enum class Attempt { Opened, DropFile, GiveUp };
    Attempt tryOpenForWriting(const QString &cachePath);
    bool createSchema(const QString &cachePath);
    bool prepareWriter();
    bool fail(const QString &what);
    bool failWith(const SqliteStatement &statement, const QString &what);
    bool loadDeadIds();
    enum class Step { Done, OutOfTime, Failed };
    // Steps statement (bound to matchExpression) and keeps the first limit
    // live row ids in page; counts them all into counted, or stops at limit
    // when counted is null. deadlineNs: steady clock, 0 for none.
    Step collect(SqliteStatement &statement, const QString &matchExpression, int limit, std::vector<qint64> &page,
                 int *counted, qint64 deadlineNs);
    static int budgetCheck(void *context);
    static constexpr int kCountShare = 60; // percent of a search's time
    static constexpr int kInstructionsPerCheck = 1000;

    SqliteDb db;
    QString path;
    QString error;
    int failCode = 0;
    bool damaged = false;
    bool afresh = false;

    SqliteStatement selectStamp, insertFile, deleteFile, insertDead, insertText, countFiles, countDead;
    SqliteStatement matching, ranked, keyOf, deadIds;
    QSet<qint64> dead;
    qint64 deadVersion = -1;
    qint64 deadlineNs = 0;
    bool stoppedByBudget = false;
};
