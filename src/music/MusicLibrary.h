#pragma once

// The music folder as the program knows it: its tracks (read by the
// MusicReader worker), which song of the lyrics cache each one is, and which
// have none. Follows the disk while it is in use. Also answers which music
// file a song has, for whatever wants to play it.

#include "music/MusicMatch.h"
#include "music/MusicReader.h"
#include "music/MusicTrack.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class MusicWatcher;

struct MusicMatches
{
    struct Matched
    {
        int Track = 0; // in tracks()
        QString SongKey;
        int Candidates = 1;
    };
    std::vector<int> Without;     // tracks with no song, sorted like the tree
    std::vector<Matched> With;    // tracks with a song, sorted like the tree
    int HoldLyrics = 0;           // of all those, the files that hold lyrics
    int Unreadable = 0;           // files TagLib could not read
    int Nameless = 0;             // files with neither tags nor "Artist - Title" names
};

class MusicLibrary : public QObject
{
    Q_OBJECT

public:
    // Fills the index with the songs of the lyrics cache, by their keys.
    using SongLister = std::function<void(SongIndex &)>;

    MusicLibrary(const QString &cacheFile, SongLister songs, QObject *parent = nullptr);
    ~MusicLibrary() override;

    QString folder() const { return root; }
    // Reads this folder from now on (at once when it is in use).
    void setFolder(const QString &folder);
    // The folder's tracks are wanted: the first call reads them, and from
    // then on the library follows the disk.
    void use();
    bool reading() const { return readsPending > 0; }
    bool writing() const { return writePending; }

    // The songs of the lyrics cache changed: match again, soon while the
    // matches are shown, else when they are next needed (a downloader at
    // work changes them every second).
    void songsChanged();
    // The matches are on screen (the Music window is shown) or not.
    void setShown(bool shown);

    const std::vector<MusicTrack> &tracks() const;
    const MusicMatches &matches() const { return matched; }
    const MusicReadReport *report() const { return last.get(); }
    // The music file that is this song's, empty when none is known (nothing is
    // known of the folder before use()).
    QString musicFileForSong(const QString &songKey);

    // Puts the songs' lyrics into these tracks' files; songFolder + a song's
    // key is its lyrics file.
    void putLyrics(const std::vector<int> &tracks, bool replaceExisting, const QString &songFolder);
    void cancelWriting();

    MusicReader &reader() { return *worker; }

Q_SIGNALS:
    // The tracks or the matches changed.
    void changed();
    void readProgress(int done, int total);
    void writeProgress(int done, int total, const QString &entry);
    void writeFinished(const LyricsBatchReport &report);

private:
    void read();
    void received(const MusicReadReportPtr &report);
    void match();
    // The songs listed again and matched, when they changed.
    void indexSongs();

    std::unique_ptr<MusicReader> worker;
    MusicWatcher *watcher = nullptr;
    SongLister listSongs;
    SongIndex songs;
    QString root;
    bool inUse = false;
    bool shown = false;
    bool songsStale = true;
    QTimer indexSoon;
    int readsPending = 0;
    bool writePending = false;
    MusicReadReportPtr last;
    MusicMatches matched;
    QHash<QString, int> trackOfSong;
};
