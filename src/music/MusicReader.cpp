#include "music/MusicReader.h"

#include "library/LyricsInfo.h"
#include "music/LyricsWriter.h"
#include "music/MusicCache.h"
#include "music/MusicFolderWalk.h"
#include "music/MusicTags.h"
#include "platform/ThreadPriority.h"
#include "text/TextFile.h"

#include <QFileInfo>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A pass keeps what it read every so many files: a program stopped in a
// first read of a large folder starts the next one where it was.
constexpr int kFilesPerCommit = 500;
constexpr int kProgressEvery = 25;

// "Artist - Title.mp3": the name says both.
bool nameGivesArtistAndTitle(const QString &path, QString &artist, QString &title)
{
    const QString base = QFileInfo(path).completeBaseName();
    const qsizetype dash = base.indexOf(u" - "_s);
    if (dash <= 0)
        return false;
    artist = base.left(dash).trimmed();
    title = base.mid(dash + 3).trimmed();
    return !artist.isEmpty() && !title.isEmpty();
}

// The song's own words go into the file; a song file that cannot be read
// or holds nothing else gives the file nothing.
LyricsWrite writeJob(const LyricsJob &job, bool replaceExisting)
{
    const std::optional<QString> text = readTextFile(job.SongPath);
    if (!text)
        return {LyricsWrite::Status::Failed, u"the song's lyrics file could not be read"_s};
    const QString lyrics = lyricsWithoutDownloaderLines(*text);
    if (lyrics.trimmed().isEmpty())
        return {LyricsWrite::Status::Failed, u"the song's lyrics file holds no lyrics"_s};
    return putLyricsIntoFile(job.Path, lyrics, replaceExisting);
}

} // namespace

MusicTrack readMusicTrack(const QString &path, qint64 size, qint64 modifiedNs)
{
    MusicTrack t;
    t.Path = path;
    t.Size = size;
    t.ModifiedNs = modifiedNs;
    const TaggedFile tagged(path);
    if (!tagged.isValid()) {
        t.From = MusicTrack::Source::Unreadable;
        return t;
    }
    t.HasLyrics = tagged.lyrics().has_value();
    t.Artist = tagged.artist();
    t.Title = tagged.title();
    if (!t.Artist.isEmpty() && !t.Title.isEmpty())
        t.From = MusicTrack::Source::Tags;
    else if (nameGivesArtistAndTitle(path, t.Artist, t.Title))
        t.From = MusicTrack::Source::FileName;
    else
        t.From = MusicTrack::Source::Nameless;
    return t;
}

class MusicReaderWorker : public QObject
{
    Q_OBJECT

public:
    MusicReaderWorker(const QString &tagCache, const std::atomic_bool &stop,
                      const std::atomic_bool &cancel)
        : cacheFile(tagCache), stopping(stop), cancelWrites(cancel)
    {
    }

    void read(const QString &root)
    {
        openCache();
        auto report = std::make_shared<MusicReadReport>();
        report->Root = root;
        MusicFolderWalk walk = walkMusicFolder(root, &stopping);
        report->RootMissing = walk.RootMissing;
        report->LinkLoops = walk.LinkLoops;
        report->UnreadableFolders = walk.UnreadableFolders;
        report->LeftoversRemoved = walk.LeftoversRemoved;
        report->Folders = std::move(walk.Folders);
        QHash<QString, MusicTrack> cached = cache.tracksUnder(root);

        int toRead = 0;
        for (const MusicFile &f : walk.Files) {
            const auto it = cached.constFind(f.Path);
            toRead += it == cached.cend() || it->Size != f.Size || it->ModifiedNs != f.ModifiedNs;
        }
        report->Tracks.reserve(walk.Files.size());
        cache.begin();
        for (const MusicFile &f : walk.Files) {
            if (stopping) {
                report->Cancelled = true;
                break;
            }
            const auto it = cached.find(f.Path);
            if (it != cached.end() && it->Size == f.Size && it->ModifiedNs == f.ModifiedNs) {
                report->Tracks.push_back(*it);
                cached.erase(it);
                continue;
            }
            if (it != cached.end())
                cached.erase(it);
            report->Tracks.push_back(readMusicTrack(f.Path, f.Size, f.ModifiedNs));
            cache.put(report->Tracks.back());
            if (++report->ReadNow % kFilesPerCommit == 0) {
                cache.commit();
                cache.begin();
            }
            if (report->ReadNow % kProgressEvery == 0)
                Q_EMIT progress(report->ReadNow, toRead);
        }
        // Files that went; a pass cut short or a folder that could not be
        // listed proves nothing about the files not seen.
        if (!report->Cancelled && !walk.Cancelled && walk.UnreadableFolders == 0) {
            for (auto it = cached.cbegin(); it != cached.cend(); ++it)
                cache.remove(it.key());
        }
        cache.commit();
        report->Cancelled = report->Cancelled || walk.Cancelled;
        Q_EMIT readFinished(report);
    }

    void write(const QList<LyricsJob> &jobs, bool replaceExisting, const QString &root)
    {
        LyricsBatchReport report;
        for (qsizetype i = 0; i < jobs.size(); ++i) {
            if (stopping || cancelWrites) {
                report.Cancelled = true;
                break;
            }
            const LyricsJob &job = jobs[i];
            Q_EMIT writeProgress(int(i), int(jobs.size()), job.Entry);
            const LyricsWrite w = writeJob(job, replaceExisting);
            report.Results.append({job.Path, job.Entry, int(w.status), w.reason});
        }
        Q_EMIT writeFinished(report);
        if (!stopping)
            read(root);
    }

Q_SIGNALS:
    void progress(int done, int total);
    void readFinished(const MusicReadReportPtr &report);
    void writeProgress(int done, int total, const QString &entry);
    void writeFinished(const LyricsBatchReport &report);

private:
    void openCache()
    {
        if (!cacheTried && !cacheFile.isEmpty())
            cache.open(cacheFile);
        cacheTried = true;
    }

    QString cacheFile;
    const std::atomic_bool &stopping;
    const std::atomic_bool &cancelWrites;
    MusicCache cache;
    bool cacheTried = false;
};

MusicReader::MusicReader(const QString &cacheFile, QObject *parent) : QObject(parent)
{
    qRegisterMetaType<MusicReadReportPtr>();
    qRegisterMetaType<LyricsBatchReport>();
    thread.setObjectName(u"Music reader"_s);
    worker = new MusicReaderWorker(cacheFile, stopping, cancelWrites);
    worker->moveToThread(&thread);
    connect(&thread, &QThread::finished, worker, &QObject::deleteLater);
    connect(worker, &MusicReaderWorker::progress, this, &MusicReader::readProgress);
    connect(worker, &MusicReaderWorker::readFinished, this, &MusicReader::readFinished);
    connect(worker, &MusicReaderWorker::writeProgress, this, &MusicReader::writeProgress);
    connect(worker, &MusicReaderWorker::writeFinished, this, &MusicReader::writeFinished);
    // Reading a music folder must never take the machine from the user.
    connect(&thread, &QThread::started, worker, [] { runAtIdlePriority(); }, Qt::DirectConnection);
    thread.start();
}

MusicReader::~MusicReader()
{
    stopping = true;
    thread.quit();
    thread.wait();
}

void MusicReader::read(const QString &root)
{
    QMetaObject::invokeMethod(worker, [w = worker, root] { w->read(root); });
}

void MusicReader::putLyrics(const QList<LyricsJob> &jobs, bool replaceExisting, const QString &root)
{
    cancelWrites = false;
    QMetaObject::invokeMethod(worker, [w = worker, jobs, replaceExisting, root] {
        w->write(jobs, replaceExisting, root);
    });
}

#include "MusicReader.moc"
