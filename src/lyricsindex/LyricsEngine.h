#pragma once

// The lyrics index as the program uses it: a worker thread that builds the
// index of a cache folder and keeps it current, and a read connection of the
// calling thread that answers searches as the user types. Lives on the user
// interface thread; never waits for the worker.

#include "lyricsindex/LyricsIndex.h"
#include "lyricsindex/LyricsMatch.h"
#include "lyricsindex/LyricsSyncReport.h"

#include <QObject>
#include <QString>
#include <QThread>

class LyricsIndexWorker;
class LyricsQuery;

class LyricsEngine : public QObject
{
    Q_OBJECT

public:
    enum class State {
        Idle,        // no cache folder given yet
        Indexing,    // a pass over the folder is running; searches see what is indexed so far
        Ready,       // the index is in line with the folder
        Unavailable, // no index can be had; unavailableReason() tells why
    };

    static constexpr int kShownMatches = 200;
    // Rows a search fills at once, from the files; the others as the list
    // is scrolled to them (fill()).
    static constexpr int kFilledAtOnce = 50;

    // indexFolder: where index files are kept (LyricsIndex::defaultFolder()
    // for the program, a temporary folder in tests).
    explicit LyricsEngine(const QString &indexFolder, QObject *parent = nullptr);
    // Stops the worker, within a few milliseconds even in the middle of a
    // build, and waits for its thread.
    ~LyricsEngine() override;

    // The cache folder to index (at start-up): opens its index and brings it
    // in line with the folder.
    void setCachePath(const QString &cachePath);
    // Brings the index in line with the folder again (F5).
    void resync();
    // How many songs to read a pass keeps listed before it lists their
    // folders again in turn instead (tests give a few, to see both ways).
    void setMostKeysKept(std::size_t keys);
    // The song's file was written (Edit) or has gone (Delete).
    void songChanged(const QString &key);
    void songRemoved(const QString &key);

    // The songs whose artist, title or lyrics hold the words of text, best
    // first. Reads the files of the first kFilledAtOnce, for the line to
    // show (the others are in Unfilled); a song whose file has gone is left
    // out and taken out of the index (one that cannot be read is left out
    // only).
    LyricsSearchResult search(const QString &text, int limit = kShownMatches);
    // The rows of songs a search of text found and left unfilled
    // (LyricsSearchResult::Unfilled), read as search() reads them.
    std::vector<LyricsMatch> fill(const QString &text, const std::vector<QString> &keys);

    // False when the song's file has gone; it is then also taken out of the
    // index.
    bool songExists(const QString &key);

    State state() const { return current; }
    QString unavailableReason() const { return reason; }
    // Why the last pass could not write all it found (a full disk); empty
    // when it could. What is indexed can still be searched.
    QString problem() const { return writeProblem; }
    int progressDone() const { return done; }
    int progressTotal() const { return total; }
    const LyricsSyncReport &lastReport() const { return report; }
    QString indexFile() const { return file; }

Q_SIGNALS:
    void stateChanged();
    // While indexing: done of total files.
    void progress(int done, int total);
    void synced(const LyricsSyncReport &report);
    // Songs were added, changed or removed: results shown may be out of date.
    void songsChanged();
    // After a pass that indexed many songs, the index has been merged into one
    // piece (in the background; searches work meanwhile, a little slower).
    void merged();

private:
    void setState(State state, const QString &why = {});
    // The rows of count songs; dropped counts those left out.
    std::vector<LyricsMatch> rowsFor(const LyricsQuery &query, const QString *keys, size_t count, int &dropped);
    void opened(const QString &indexFile);
    void damaged();

    QThread thread;
    LyricsIndexWorker *worker = nullptr; // lives on thread; deleted as it finishes
    LyricsIndex reader;
    QString cachePath;
    QString file;
    State current = State::Idle;
    QString reason;
    QString writeProblem;
    // A rebuild is asked for and the worker has not yet opened the new file:
    // no second one (it would drop a file this connection may have opened).
    bool rebuildPending = false;
    int done = 0;
    int total = 0;
    LyricsSyncReport report;
};
