#pragma once

// A SongPlayer on Qt Multimedia: QMediaPlayer into the desktop's default
// audio output.

#include "playback/SongPlayer.h"

class QAudioOutput;
class QMediaPlayer;

class MediaSongPlayer : public SongPlayer
{
    Q_OBJECT

public:
    explicit MediaSongPlayer(QObject *parent = nullptr);
    ~MediaSongPlayer() override;

    void setFile(const QString &path) override;
    QString file() const override { return path; }
    void play() override;
    void pause() override;
    bool playing() const override;
    qint64 position() const override;
    qint64 duration() const override;
    void seek(qint64 positionMs) override;

private:
    bool canSeek() const;
    // A seek asked for while the file was opening, made once it can be.
    void seekWhenOpen();

    QMediaPlayer *player = nullptr;
    QAudioOutput *output = nullptr;
    QString path;
    // A seek asked for while the file is still opening.
    qint64 pendingSeek = -1;
};
