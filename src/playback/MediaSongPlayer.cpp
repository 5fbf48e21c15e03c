#include "playback/MediaSongPlayer.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QUrl>

using namespace Qt::StringLiterals;

MediaSongPlayer::MediaSongPlayer(QObject *parent)
    : SongPlayer(parent), player(new QMediaPlayer(this)), output(new QAudioOutput(this))
{
    player->setAudioOutput(output);
    connect(player, &QMediaPlayer::positionChanged, this, [this](qint64 at) {
        if (pendingSeek < 0)
            Q_EMIT positionChanged(at);
    });
    connect(player, &QMediaPlayer::durationChanged, this, &SongPlayer::durationChanged);
    connect(player, &QMediaPlayer::playbackStateChanged, this,
            [this](QMediaPlayer::PlaybackState state) { Q_EMIT playingChanged(state == QMediaPlayer::PlayingState); });
    // Qt drops a seek made before the file can be sought in, which comes
    // after it is open; GStreamer refuses one made before it knows the
    // length (the seek runs up to it). It is made once both are there.
    connect(player, &QMediaPlayer::seekableChanged, this, &MediaSongPlayer::seekWhenOpen);
    connect(player, &QMediaPlayer::durationChanged, this, &MediaSongPlayer::seekWhenOpen);
    connect(player, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        // A file that cannot be sought in plays from its start.
        if (status == QMediaPlayer::BufferedMedia && !player->isSeekable())
            pendingSeek = -1;
    });
    connect(player, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error, const QString &text) {
        Q_EMIT failed(text.isEmpty() ? u"the file could not be played"_s : text);
    });
}

MediaSongPlayer::~MediaSongPlayer()
{
    // Nothing is said to the editor while it is going away.
    disconnect(player, nullptr, this, nullptr);
}

void MediaSongPlayer::setFile(const QString &file)
{
    if (file == path)
        return;
    path = file;
    pendingSeek = -1;
    player->stop();
    player->setSource(path.isEmpty() ? QUrl() : QUrl::fromLocalFile(path));
}

void MediaSongPlayer::play()
{
    player->play();
}

void MediaSongPlayer::pause()
{
    player->pause();
}

bool MediaSongPlayer::playing() const
{
    return player->playbackState() == QMediaPlayer::PlayingState;
}

qint64 MediaSongPlayer::position() const
{
    return pendingSeek >= 0 ? pendingSeek : player->position();
}

qint64 MediaSongPlayer::duration() const
{
    return player->duration();
}

void MediaSongPlayer::seek(qint64 positionMs)
{
    if (!canSeek()) {
        pendingSeek = positionMs;
        Q_EMIT positionChanged(positionMs);
        return;
    }
    player->setPosition(positionMs);
}

bool MediaSongPlayer::canSeek() const
{
    return player->isSeekable() && player->duration() > 0;
}

void MediaSongPlayer::seekWhenOpen()
{
    if (pendingSeek < 0 || !canSeek())
        return;
    const qint64 to = pendingSeek;
    pendingSeek = -1;
    player->setPosition(to);
}

extern "C" Q_DECL_EXPORT SongPlayer *stanzabox_make_song_player()
{
    return new MediaSongPlayer;
}
