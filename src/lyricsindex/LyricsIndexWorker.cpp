#include "lyricsindex/LyricsIndexWorker.h"

#include "library/FolderListing.h"
#include "library/LibraryScan.h"
#include "library/SongNames.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>

using namespace Qt::StringLiterals;

namespace {

// A batch stays short, so that a queued edit or stop waits little and the
// reader sees progress often; many files go into one commit all the same.
// The window's searches never wait for a batch (the index is in WAL mode):
// only a commit takes, for a few microseconds, the locks both connections
// share, and a worker at idle priority that loses the processor right then
// keeps them until it is scheduled again. Fewer commits, fewer such moments.
constexpr qint64 kBatchNs = 60'000'000;
// Dead rows (of changed and removed songs) beyond this share of the live
// ones, and the index is built again from nothing.
constexpr qint64 kDeadFloor = 1000;
constexpr qint64 kDeadShare = 4; // one in four
// A pass that indexed this many songs is followed by a merge of the index
// into one segment, in steps between other work: queries get faster (a
// common word about twice as fast at 32,767 songs), the file smaller.
constexpr int kMergeAfter = 2000;

// "X/Artist - Song.txt": a letter folder and a name, nothing that could lead
// out of the cache folder.
bool isSongKey(const QString &key)
{
    return key.size() > 6 && key.at(0).isLetter() && key.at(1) == u'/' && key.indexOf(u'/', 2) < 0
        && key.endsWith(u".txt"_s, Qt::CaseInsensitive);
}

} // namespace

LyricsIndexWorker::LyricsIndexWorker(const QString &folder, QObject *parent)
    : QObject(parent)
    , indexFolder(folder)
{
    qRegisterMetaType<LyricsSyncReport>();
}

LyricsIndexWorker::~LyricsIndexWorker()
{
    closeIndex();
}

void LyricsIndexWorker::cancel()
{
    cancelled = true;
    // While the index is being opened the flag is enough: it is looked at
    // right after.
    if (connectionLock.tryLock()) {
        index.interrupt();
        connectionLock.unlock();
    }
}

void LyricsIndexWorker::closeIndex()
{
    QMutexLocker lock(&connectionLock);
    index.close();
}

bool LyricsIndexWorker::ensureOpen(const QString &path, bool fresh)
{
    QString wanted = path;
    if (!wanted.endsWith(u'/'))
        wanted += u'/';
    if (!fresh && index.isOpen() && wanted == cachePath)
        return true;
    cachePath = wanted;
    const QString file = LyricsIndex::fileFor(indexFolder, cachePath);
    bool ok;
    {
        QMutexLocker lock(&connectionLock);
        ok = index.openForWriting(file, cachePath, fresh);
    }
    if (!ok) {
        Q_EMIT unavailable(requested, index.errorString());
        return false;
    }
    report.Rebuilt = index.startedAfresh();
    Q_EMIT opened(requested, file);
    return true;
}

void LyricsIndexWorker::sync(const QString &path)
{
    // A damaged index waits for its rebuild, which the engine asks for once
    // its reader has let go of the file. A pass over another folder ends the
    // wait: the engine has left the damaged one, and its reader with it.
    if (!damagedFolder.isEmpty() && damagedFolder == (path.endsWith(u'/') ? path : path + u'/'))
        return;
    damagedFolder.clear();
    startSync(path, false);
}

void LyricsIndexWorker::rebuild(const QString &path)
{
    damagedFolder.clear();
    startSync(path, true);
}

void LyricsIndexWorker::startSync(const QString &path, bool fresh)
{
    if (cancelled)
        return;
    // A new pass replaces one that is still running.
    ++passNumber;
    requested = path.endsWith(u'/') ? path : path + u'/';
    syncing = true;
    pending.clear();
    next = 0;
    foldersToIndex.clear();
    toIndex = 0;
    indexed = 0;
    report = {};
    if (!openForSync(path, fresh))
        return;
    QStringList gone;
    if (!listChanges(gone) || !removeSongs(gone))
        return;
    if (toIndex > 0)
        Q_EMIT progress(requested, 0, toIndex);
    const quint64 pass = passNumber;
    QMetaObject::invokeMethod(this, [this, pass] { continueSync(pass); }, Qt::QueuedConnection);
}

bool LyricsIndexWorker::openForSync(const QString &path, bool fresh)
{
    // A folder that is not there (a drive not mounted) is no folder without
    // songs: the index stays as it is for when it comes back.
    if (!QFileInfo(path).isDir()) {
        closeIndex();
        cachePath.clear();
        Q_EMIT unavailable(requested, tr("the cache folder %1 cannot be read").arg(QDir::toNativeSeparators(path)));
        finishSync(false);
        return false;
    }
    if (!ensureOpen(path, fresh)) {
        finishSync(false);
        return false;
    }
    const qint64 deadRows = index.deadCount();
    if (deadRows > kDeadFloor && deadRows > index.songCount() / kDeadShare) {
        if (!index.begin() || !index.clear() || !index.commit()) {
            failed();
            return false;
        }
        report.Rebuilt = true;
    }
    return true;
}

bool LyricsIndexWorker::listChanges(QStringList &gone)
{
    // The same folders and files as the library scan, so the index and the
    // tree know the same songs by the same keys. The songs to read are kept
    // while they are few; past that only counted, and listed again folder
    // by folder as their turn comes, so that a first build does not hold the
    // keys of a whole library.
    QStringList folders;
    bool keep = true;
    for (const QString &folder : letterFolders(cachePath)) {
        if (cancelled) {
            finishSync(false);
            return false;
        }
        // A folder that cannot be read keeps its songs as indexed until it can.
        folders << folder;
        const int before = report.Added + report.Changed;
        if (diffFolder(folder, keep ? &pending : nullptr, &gone, true) == FolderDiff::Failed)
            return false;
        if (const int changed = report.Added + report.Changed - before; changed > 0) {
            foldersToIndex.push_back(folder);
            toIndex += changed;
        }
        if (keep && pending.size() > mostKeysKept) {
            keep = false;
            pending.clear();
            pending.shrink_to_fit();
        }
    }
    if (keep)
        foldersToIndex.clear(); // every key is in pending
    // And the songs of folders that are gone.
    if (!index.keysOutside(folders, gone)) {
        failed();
        return false;
    }
    return true;
}

LyricsIndexWorker::FolderDiff LyricsIndexWorker::diffFolder(const QString &folder, std::vector<QString> *changed,
                                                            QStringList *gone, bool count)
{
    const FolderListing listing = listLetterFolder(cachePath + folder, true);
    if (!listing.Readable)
        return FolderDiff::Unreadable;
    QHash<QString, FileStamp> known;
    if (!index.fileStamps(folder, known)) {
        failed();
        return FolderDiff::Failed;
    }
    for (const FolderListing::Song &song : listing.Songs) {
        QString key = folder + u'/' + song.Name.toString();
        const FileStamp stamp{song.Size, song.ModifiedNs};
        const auto found = known.constFind(key);
        const bool isNew = found == known.cend();
        const bool isChanged = !isNew && *found != stamp;
        if (!isNew)
            known.erase(found);
        if (count) {
            ++report.Listed;
            report.Added += isNew;
            report.Changed += isChanged;
        }
        if (changed && (isNew || isChanged))
            changed->push_back(std::move(key));
    }
    // What is left was not found in the folder.
    if (gone)
        *gone += known.keys();
    return FolderDiff::Read;
}

bool LyricsIndexWorker::takeNextFolder()
{
    pending.clear();
    next = 0;
    while (pending.empty() && !foldersToIndex.empty()) {
        const QString folder = foldersToIndex.takeFirst();
        if (diffFolder(folder, &pending, nullptr, false) == FolderDiff::Failed)
            return false;
    }
    return true;
}

bool LyricsIndexWorker::removeSongs(const QStringList &gone)
{
    if (gone.isEmpty())
        return true;
    if (!index.begin()) {
        failed();
        return false;
    }
    for (const QString &key : gone) {
        if (!index.removeSong(key)) {
            failed();
            return false;
        }
    }
    if (!index.commit()) {
        failed();
        return false;
    }
    report.Removed = int(gone.size());
    return true;
}

void LyricsIndexWorker::continueSync(quint64 pass)
{
    if (pass != passNumber || !syncing)
        return;
    if (cancelled || !index.isOpen()) {
        finishSync(false);
        return;
    }
    if (next == pending.size() && !takeNextFolder())
        return;
    if (next < pending.size()) {
        QElapsedTimer batch;
        batch.start();
        if (!index.begin()) {
            failed();
            return;
        }
        while (next < pending.size() && !cancelled && batch.nsecsElapsed() < kBatchNs) {
            if (!indexSong(pending[next])) {
                failed();
                return;
            }
            ++next;
            ++indexed;
        }
        // Told to stop: what this batch read is dropped, not committed (a
        // commit merges the index's segments, tens of milliseconds, and more
        // on a busy machine, where a worker at idle priority waits long for
        // each of them). The next pass reads those files again.
        if (cancelled) {
            index.rollback();
            finishSync(false);
            return;
        }
        if (!index.commit()) {
            failed();
            return;
        }
        // Files that came since they were counted may take the count past the total.
        toIndex = std::max(toIndex, indexed);
        Q_EMIT progress(requested, indexed, toIndex);
    }
    if ((next < pending.size() || !foldersToIndex.empty()) && !cancelled)
        QMetaObject::invokeMethod(this, [this, pass] { continueSync(pass); }, Qt::QueuedConnection);
    else
        finishSync(!cancelled);
}

void LyricsIndexWorker::finishSync(bool complete)
{
    syncing = false;
    report.Complete = complete && index.isOpen() && !cancelled;
    pending.clear();
    pending.shrink_to_fit();
    next = 0;
    foldersToIndex.clear();
    Q_EMIT synced(requested, report);
    if (report.Complete && report.Added + report.Changed >= kMergeAfter) {
        const quint64 pass = passNumber;
        QMetaObject::invokeMethod(this, [this, pass] { mergeStep(pass, true); }, Qt::QueuedConnection);
    }
}

void LyricsIndexWorker::mergeStep(quint64 pass, bool first)
{
    // A new pass, a stop or a failure ends the merge; it is no loss, only a
    // slower index until the next big pass.
    if (pass != passNumber || cancelled || !index.isOpen())
        return;
    if (index.mergeStep(first)) {
        QMetaObject::invokeMethod(this, [this, pass] { mergeStep(pass, false); }, Qt::QueuedConnection);
        return;
    }
    if (!index.errorString().isEmpty())
        failed();
    else
        Q_EMIT merged(requested);
}

bool LyricsIndexWorker::indexSong(const QString &key)
{
    FileStamp stamp;
    const std::optional<QByteArray> bytes = LyricsText::readHead(cachePath + key, LyricsText::kMaxIndexedBytes, &stamp);
    if (!bytes) {
        // Gone since it was listed: out. There but not readable: as it was,
        // and tried again at the next pass (its stamp in the index is old).
        return LyricsText::isGone(cachePath + key) ? index.removeSong(key) : true;
    }
    ++report.Read;
    const QStringView fileName = keyFileName(key);
    const QStringView name = nameStem(fileName);
    const qsizetype dash = name.indexOf(u'-');
    const QStringView artist = artistPart(fileName);
    // Every word of the name after the artist, not only the part the tree shows.
    const QStringView title = trimmedSpaces(dash < 0 ? name : name.mid(dash + 1));
    return index.putSong(key, stamp, artist, title, LyricsText::indexable(*bytes));
}

void LyricsIndexWorker::reindex(const QString &key)
{
    if (cancelled || !index.isOpen() || !isSongKey(key))
        return;
    if (!index.begin() || !indexSong(key) || !index.commit()) {
        failed();
        return;
    }
    Q_EMIT songUpdated(requested, key);
}

void LyricsIndexWorker::remove(const QString &key)
{
    if (cancelled || !index.isOpen() || !isSongKey(key))
        return;
    if (!index.begin() || !index.removeSong(key) || !index.commit()) {
        failed();
        return;
    }
    Q_EMIT songUpdated(requested, key);
}

void LyricsIndexWorker::stop()
{
    ++passNumber;
    syncing = false;
    closeIndex();
}

void LyricsIndexWorker::failed()
{
    index.rollback();
    const QString reason = index.errorString();
    const bool wasSyncing = syncing;
    if (index.isDamaged()) {
        closeIndex();
        damagedFolder = requested;
        // Before the pass ends, so that readers let go of the file first.
        Q_EMIT damaged(requested, reason);
        if (wasSyncing)
            finishSync(false);
        return;
    }
    if (wasSyncing)
        finishSync(false);
    // Stopped on purpose: not a failure to tell.
    if (!cancelled)
        Q_EMIT writeFailed(requested, reason);
}
