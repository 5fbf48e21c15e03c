#pragma once

// A player on a clock the test sets: nothing is heard, the position is what
// the test says, and the editor is told of it only when the test says so.

#include "playback/SongPlayer.h"

#include <QList>

class FakeSongPlayer : public SongPlayer
{
public:
    QString path;
    bool isPlaying = false;
    qint64 clock = 0;
    qint64 length = 240000;
    QList<qint64> seeks;

    void setFile(const QString &file) override
    {
        path = file;
        clock = 0;
        pause();
        if (!file.isEmpty())
            Q_EMIT durationChanged(length);
    }
    QString file() const override { return path; }
    void play() override { Q_EMIT playingChanged(isPlaying = true); }
    void pause() override { Q_EMIT playingChanged(isPlaying = false); }
    bool playing() const override { return isPlaying; }
    qint64 position() const override { return clock; }
    qint64 duration() const override { return length; }
    void seek(qint64 positionMs) override
    {
        seeks << positionMs;
        advanceTo(positionMs);
    }
    // The song moves on; the real player tells the editor ten times a second.
    void advanceTo(qint64 positionMs, bool tell = true)
    {
        clock = positionMs;
        if (tell)
            Q_EMIT positionChanged(positionMs);
    }
};
