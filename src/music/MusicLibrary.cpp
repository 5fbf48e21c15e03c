#include "music/MusicLibrary.h"

#include "library/FolderListing.h"
#include "music/MusicWatcher.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const std::vector<MusicTrack> kNoTracks;

} // namespace

MusicLibrary::MusicLibrary(const QString &cacheFile, SongLister songLister, QObject *parent)
    : QObject(parent), worker(std::make_unique<MusicReader>(cacheFile)), listSongs(std::move(songLister))
{
    // Songs that change in a burst are indexed once.
    indexSoon.setSingleShot(true);
    indexSoon.setInterval(300);
    connect(&indexSoon, &QTimer::timeout, this, &MusicLibrary::indexSongs);
    watcher = new MusicWatcher(this);
    connect(watcher, &MusicWatcher::changed, this, &MusicLibrary::read);
    connect(worker.get(), &MusicReader::readProgress, this, &MusicLibrary::readProgress);
    connect(worker.get(), &MusicReader::readFinished, this, &MusicLibrary::received);
    connect(worker.get(), &MusicReader::writeProgress, this, &MusicLibrary::writeProgress);
    connect(worker.get(), &MusicReader::writeFinished, this, [this](const LyricsBatchReport &report) {
        writePending = false;
        // The worker reads the folder again right after a batch.
        ++readsPending;
        Q_EMIT writeFinished(report);
    });
}

MusicLibrary::~MusicLibrary() = default;

void MusicLibrary::setFolder(const QString &folder)
{
    if (folder == root)
        return;
    root = folder;
    last.reset();
    matched = MusicMatches();
    trackOfSong.clear();
    watcher->watch({});
    Q_EMIT changed();
    if (inUse)
        read();
}

void MusicLibrary::use()
{
    if (inUse)
        return;
    inUse = true;
    indexSongs();
    read();
}

void MusicLibrary::read()
{
    ++readsPending;
    worker->read(root);
}

void MusicLibrary::received(const MusicReadReportPtr &report)
{
    readsPending = std::max(0, readsPending - 1);
    // A pass over a folder no longer shown tells nothing.
    if (report->Root != root)
        return;
    last = report;
    watcher->watch(report->Folders);
    // New songs since the last match are taken in with the new tracks.
    if (songsStale)
        indexSongs();
    else
        match();
}

const std::vector<MusicTrack> &MusicLibrary::tracks() const
{
    return last ? last->Tracks : kNoTracks;
}

void MusicLibrary::songsChanged()
{
    songsStale = true;
    if (shown)
        indexSoon.start();
}

void MusicLibrary::setShown(bool isShown)
{
    shown = isShown;
    if (shown && songsStale)
        indexSoon.start();
}

void MusicLibrary::indexSongs()
{
    if (!songsStale)
        return;
    songsStale = false;
    songs.clear();
    if (listSongs)
        listSongs(songs);
    if (last)
        match();
}

void MusicLibrary::match()
{
    MusicMatches m;
    trackOfSong.clear();
    const std::vector<MusicTrack> &all = tracks();
    for (int i = 0; i < int(all.size()); ++i) {
        const MusicTrack &t = all[size_t(i)];
        if (t.From == MusicTrack::Source::Unreadable) {
            ++m.Unreadable;
            continue;
        }
        if (t.From == MusicTrack::Source::Nameless) {
            ++m.Nameless;
            continue;
        }
        m.HoldLyrics += t.HasLyrics ? 1 : 0;
        const SongMatch song = songs.find(t.Artist, t.Title);
        if (song.SongKey.isEmpty()) {
            m.Without.push_back(i);
        } else {
            m.With.push_back({i, song.SongKey, song.Candidates});
            trackOfSong.insert(song.SongKey, i);
        }
    }
    // Like the tree: by "Artist - Title", ignoring case first.
    std::vector<QString> entries(all.size());
    for (size_t i = 0; i < all.size(); ++i)
        entries[i] = all[i].entry();
    auto before = [&entries](int a, int b) { return listedBefore(entries[size_t(a)], entries[size_t(b)]); };
    std::stable_sort(m.Without.begin(), m.Without.end(), before);
    std::stable_sort(m.With.begin(), m.With.end(),
                     [&before](const MusicMatches::Matched &a, const MusicMatches::Matched &b) {
                         return before(a.Track, b.Track);
                     });
    matched = std::move(m);
    Q_EMIT changed();
}

QString MusicLibrary::musicFileForSong(const QString &songKey)
{
    indexSongs();
    const auto it = trackOfSong.constFind(songKey);
    return it == trackOfSong.cend() ? QString() : tracks()[size_t(*it)].Path;
}

void MusicLibrary::putLyrics(const std::vector<int> &chosen, bool replaceExisting, const QString &songFolder)
{
    QHash<int, QString> songOf;
    for (const MusicMatches::Matched &m : matched.With)
        songOf.insert(m.Track, m.SongKey);
    QList<LyricsJob> jobs;
    for (int t : chosen) {
        if (!songOf.contains(t))
            continue;
        const MusicTrack &track = tracks()[size_t(t)];
        jobs.append({track.Path, track.entry(), songFolder + songOf.value(t)});
    }
    writePending = true;
    worker->putLyrics(jobs, replaceExisting, root);
}

void MusicLibrary::cancelWriting()
{
    worker->cancelWriting();
}
