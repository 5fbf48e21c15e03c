#pragma once

// What the karaoke editor needs of something that plays a song: a file,
// play and pause, where the song is now, and a seek. The position is asked
// of the player at the moment it is wanted, never taken from the last
// notification, which may be a tenth of a second old.

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class SongPlayer : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // The file to play from its start; empty for none. Playing stops.
    virtual void setFile(const QString &path) = 0;
    virtual QString file() const = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual bool playing() const = 0;
    // Milliseconds into the song, now.
    virtual qint64 position() const = 0;
    // The song's length in milliseconds; 0 while it is not known yet.
    virtual qint64 duration() const = 0;
    // Goes to a position; one asked for before the file is open is taken
    // as soon as it is.
    virtual void seek(qint64 positionMs) = 0;

Q_SIGNALS:
    // While playing, about ten times a second, and after a seek.
    void positionChanged(qint64 positionMs);
    void durationChanged(qint64 durationMs);
    void playingChanged(bool playing);
    // The file cannot be played: missing, damaged, or no decoder for it.
    void failed(const QString &reason);
};

// A song's music file, or none; searching while the music folder is still
// being read for the first time.
struct MusicFile
{
    QString path;
    bool searching = false;
};

// Where the karaoke editor learns which music is a song's (by its lyrics
// file) and gets a player when the user first wants one.
struct KaraokeMusic
{
    std::function<MusicFile(const QString &lyricsPath)> fileFor;
    std::function<std::unique_ptr<SongPlayer>()> makePlayer;
};
