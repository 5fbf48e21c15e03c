// The music side at 20,000 tracks: the first read of every tag, a second
// start with nothing changed, matching against a cache of 100,000 songs,
// and the floor a pass cannot go below: a stat of every file.
//
// Usage: bench_music WORK_FOLDER RUNS
// Writes WORK_FOLDER/music (20,000 short silent MP3s with ID3v2.3 tags, in
// 200 folders) when it is not there. Prints medians, one "name value" a line.

#include "music/MusicMatch.h"
#include "music/MusicReader.h"

#include "bench/Median.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>

#include <cstdio>
#include <string>

#include <dirent.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int kTracks = 20000;
constexpr int kFolders = 200;
constexpr int kSongs = 100000;

QByteArray id3Frame(const char *id, const QByteArray &text)
{
    QByteArray frame(id);
    const quint32 size = quint32(text.size() + 1);
    frame += char(size >> 24) + QByteArray() + char(size >> 16) + char(size >> 8) + char(size);
    frame += QByteArray(2, '\0') + '\0' + text; // no flags, ISO-8859-1
    return frame;
}

// An ID3v2.3 tag with the artist and title.
QByteArray id3Tag(const QByteArray &artist, const QByteArray &title)
{
    const QByteArray frames = id3Frame("TPE1", artist) + id3Frame("TIT2", title);
    QByteArray tag("ID3\x03\x00\x00", 6);
    const quint32 n = quint32(frames.size());
    tag += char((n >> 21) & 0x7F) + QByteArray() + char((n >> 14) & 0x7F) + char((n >> 7) & 0x7F) + char(n & 0x7F);
    return tag + frames;
}

QString artistOf(int i) { return u"Artist %1"_s.arg(i % 1000); }
QString titleOf(int i) { return u"Title %1"_s.arg(i); }

bool writeTracks(const QString &music)
{
    const QString wav = music + u"/silence.wav"_s, mp3 = music + u"/silence.mp3"_s;
    QDir().mkpath(music);
    if (QProcess::execute(u"sox"_s, {u"-n"_s, u"-r"_s, u"44100"_s, u"-c"_s, u"1"_s, u"-b"_s, u"16"_s, wav,
                                     u"trim"_s, u"0"_s, u"0.1"_s}) != 0
        || QProcess::execute(u"lame"_s, {u"--quiet"_s, wav, mp3}) != 0)
        return false;
    QFile in(mp3);
    in.open(QIODevice::ReadOnly);
    const QByteArray audio = in.readAll();
    QFile::remove(wav);
    QFile::remove(mp3);
    for (int i = 0; i < kTracks; ++i) {
        const QString folder = music + u"/f%1"_s.arg(i % kFolders);
        if (i < kFolders)
            QDir().mkpath(folder);
        QFile out(folder + u"/%1.mp3"_s.arg(i));
        if (!out.open(QIODevice::WriteOnly)
            || out.write(id3Tag(artistOf(i).toLatin1(), titleOf(i).toLatin1()) + audio) < 0)
            return false;
    }
    return true;
}

// The floor: every folder listed and every file stat'ed, nothing else.
long statEveryFile(const std::string &folder)
{
    long files = 0;
    DIR *dir = opendir(folder.c_str());
    if (!dir)
        return 0;
    while (const dirent *e = readdir(dir)) {
        if (e->d_name[0] == '.')
            continue;
        struct stat st;
        const std::string path = folder + '/' + e->d_name;
        if (stat(path.c_str(), &st) != 0)
            continue;
        files += S_ISDIR(st.st_mode) ? statEveryFile(path) : 1;
    }
    closedir(dir);
    return files;
}

double timedRead(const QString &cache, const QString &music, int *tracks = nullptr)
{
    MusicReader reader(cache);
    QSignalSpy done(&reader, &MusicReader::readFinished);
    QElapsedTimer timer;
    timer.start();
    reader.read(music);
    done.wait(600000);
    const double ms = timer.nsecsElapsed() / 1e6;
    if (tracks && !done.isEmpty())
        *tracks = int(done.first().first().value<MusicReadReportPtr>()->Tracks.size());
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s WORK_FOLDER RUNS\n", argv[0]);
        return 2;
    }
    const QString work = QString::fromLocal8Bit(argv[1]);
    const QString music = work + u"/music"_s;
    const int runs = std::max(1, std::atoi(argv[2]));
    if (!QDir(music).exists() && !writeTracks(music)) {
        std::fprintf(stderr, "bench_music: could not write the tracks\n");
        return 1;
    }

    std::vector<double> firsts, seconds, floors, builds, matches;
    int tracks = 0;
    for (int run = 0; run < runs; ++run) {
        const QString cache = work + u"/music-%1.sqlite"_s.arg(run);
        QFile::remove(cache);
        firsts.push_back(timedRead(cache, music, &tracks));
        seconds.push_back(timedRead(cache, music));
        QElapsedTimer timer;
        timer.start();
        statEveryFile(music.toStdString());
        floors.push_back(timer.nsecsElapsed() / 1e6);
    }
    // Matching: half the tracks have a song among 100,000.
    QStringList songKeys;
    for (int i = 0; i < kSongs; ++i) {
        const int track = i % 2 ? i / 2 : kTracks + i;
        songKeys << u"A/%1 - %2.txt"_s.arg(artistOf(track), titleOf(track));
    }
    QStringList artists, titles;
    for (int i = 0; i < kTracks; ++i) {
        artists << artistOf(i);
        titles << titleOf(i);
    }
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        SongIndex songs;
        songs.reserve(kSongs);
        for (const QString &key : std::as_const(songKeys))
            songs.add(key);
        builds.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        int found = 0;
        for (int i = 0; i < kTracks; ++i)
            found += songs.find(artists[i], titles[i]).SongKey.isEmpty() ? 0 : 1;
        matches.push_back(timer.nsecsElapsed() / 1e6);
        if (found == 0)
            return 1;
    }
    std::printf("tracks %d\nfirst_read_ms %.1f\nsecond_read_ms %.1f\nstat_floor_ms %.1f\n"
                "song_index_ms %.1f\nmatch_ms %.1f\n",
                tracks, median(firsts), median(seconds), median(floors), median(builds), median(matches));
    return 0;
}
