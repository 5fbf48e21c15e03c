#include "library/LibraryWatcher.h"

#include "library/LibraryScan.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

LibraryWatcher::DiskState stateOf(const QString &path)
{
    LibraryWatcher::DiskState state;
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return state;
    auto ns = [](const timespec &t) { return qint64(t.tv_sec) * 1000000000LL + t.tv_nsec; };
    state.exists = true;
    state.device = quint64(st.st_dev);
    state.inode = quint64(st.st_ino);
    state.modifiedNs = ns(st.st_mtim);
    state.changedNs = ns(st.st_ctim);
    state.size = qint64(st.st_size);
    return state;
}

// The nearest folder above path that is there now.
QString nearestFolderAbove(const QString &path)
{
    QString folder = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    while (folder != u'/') {
        const qsizetype slash = folder.lastIndexOf(u'/');
        folder = slash <= 0 ? QStringLiteral("/") : folder.left(slash);
        if (QFileInfo(folder).isDir())
            return folder;
    }
    return folder;
}

} // namespace

LibraryWatcher::LibraryWatcher(QObject *parent) : QObject(parent)
{
    watcher = new QFileSystemWatcher(this);
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, &LibraryWatcher::onDirectoryChanged);
    connect(watcher, &QFileSystemWatcher::fileChanged, this, &LibraryWatcher::onFileChanged);
    settle.setSingleShot(true);
    connect(&settle, &QTimer::timeout, this, &LibraryWatcher::tell);
    poll.setInterval(PollMs);
    connect(&poll, &QTimer::timeout, this, &LibraryWatcher::pollFolders);
}

void LibraryWatcher::watch(const QString &cachePath)
{
    // All anew: a watch the system dropped, or one on a folder replaced
    // since, is made again.
    for (const QString &path : followed.keys()) {
        if (path != file)
            unfollow(path);
    }
    watchedLetters.clear();
    anchor.clear();
    cache = cachePath;
    if (!cache.isEmpty()) {
        cacheThere = QFileInfo(cache).isDir();
        arm();
    }
    // What is there now is what the library was read from.
    pendingFolders.clear();
    wholeLibraryPending = false;
}

void LibraryWatcher::watchFile(const QString &path)
{
    if (!file.isEmpty())
        unfollow(file);
    file = path;
    filePending = false;
    if (!file.isEmpty())
        follow(file);
}

bool LibraryWatcher::isFollowing(const QString &path) const
{
    return polled.contains(path) || watcher->directories().contains(path) || watcher->files().contains(path);
}

bool LibraryWatcher::follow(const QString &path)
{
    const DiskState now = stateOf(path);
    if (const auto known = followed.constFind(path);
        known != followed.cend() && known->sameFile(now) && isFollowing(path))
        return false;
    unfollow(path);
    if (!now.exists)
        return true;
    followed.insert(path, now);
    if (!watcher->addPath(path)) {
        if (!stateOf(path).exists) {
            // Gone meanwhile: nothing to follow.
            followed.remove(path);
            return true;
        }
        // There, yet refused: a folder that may not be read (the library
        // tells of it when it reads it), or the system's limit of watches.
        // Looked at from time to time instead.
        polled.insert(path);
        if (!poll.isActive())
            poll.start();
        if (!limitTold && ::access(QFile::encodeName(path).constData(), R_OK) == 0)
            refused.append(path);
    }
    return true;
}

void LibraryWatcher::unfollow(const QString &path)
{
    if (!followed.remove(path))
        return;
    if (polled.remove(path)) {
        if (polled.isEmpty())
            poll.stop();
    } else if (watcher->directories().contains(path) || watcher->files().contains(path)) {
        watcher->removePath(path);
    }
}

void LibraryWatcher::arm()
{
    const bool there = QFileInfo(cache).isDir();
    if (there != cacheThere)
        wholeLibraryPending = true;
    cacheThere = there;
    if (!there) {
        // Gone, or not made yet: its letter folders went with it, and the
        // folder above it tells when it comes.
        for (const QString &name : std::as_const(watchedLetters))
            unfollow(cache + name);
        watchedLetters.clear();
        unfollow(cache);
        if (const QString above = nearestFolderAbove(cache); above != anchor) {
            unfollow(anchor);
            anchor = above;
        }
        follow(anchor);
        tellRefused();
        return;
    }
    if (!anchor.isEmpty()) {
        unfollow(anchor);
        anchor.clear();
    }
    // The cache folder replaced by another of its name: all of it is new.
    if (follow(cache))
        wholeLibraryPending = true;
    const QStringList now = letterFolders(cache);
    for (const QString &name : std::as_const(watchedLetters)) {
        if (!now.contains(name)) {
            unfollow(cache + name);
            pendingFolders.insert(name);
        }
    }
    for (const QString &name : now) {
        // Come, or replaced (mv A A.old; mkdir A): its songs came or went.
        if (follow(cache + name))
            pendingFolders.insert(name);
    }
    watchedLetters = now;
    tellRefused();
}

void LibraryWatcher::tellRefused()
{
    if (refused.isEmpty() || limitTold)
        return;
    limitTold = true;
    // Later: the one told may ask the user, and this runs inside the
    // watcher's own handling.
    QTimer::singleShot(0, this, [this, paths = std::exchange(refused, {})] { Q_EMIT watchingLimited(paths); });
}

void LibraryWatcher::onDirectoryChanged(const QString &path)
{
    if (path == cache || path == anchor) {
        // A letter folder, or the cache folder itself, made, removed or
        // replaced.
        arm();
    } else if (path.startsWith(cache)) {
        pendingFolders.insert(path.mid(cache.size()));
        // Removed or replaced: followed again where it is there now.
        if (!isFollowing(path) || !followed.value(path).sameFile(stateOf(path)))
            arm();
    }
    if (wholeLibraryPending || !pendingFolders.isEmpty())
        changed();
}

void LibraryWatcher::onFileChanged(const QString &path)
{
    if (path != file)
        return;
    filePending = true;
    changed();
}

void LibraryWatcher::pollFolders()
{
    for (const QString &path : QStringList(polled.begin(), polled.end())) {
        // A change told before may have ended the following of this one.
        if (!polled.contains(path))
            continue;
        const DiskState now = stateOf(path);
        DiskState &before = followed[path];
        if (now == before)
            continue;
        before = now;
        if (path == file)
            onFileChanged(path);
        else
            onDirectoryChanged(path);
    }
}

void LibraryWatcher::changed()
{
    if (!settle.isActive())
        firstChange.start();
    // Quiet for a moment, but never held back past the longest wait.
    const qint64 waited = firstChange.elapsed();
    settle.start(int(std::clamp<qint64>(LongestWaitMs - waited, 0, SettleMs)));
}

void LibraryWatcher::tell()
{
    if (wholeLibraryPending) {
        wholeLibraryPending = false;
        pendingFolders.clear();
        Q_EMIT foldersChanged({});
    } else if (!pendingFolders.isEmpty()) {
        QStringList folders(pendingFolders.begin(), pendingFolders.end());
        folders.sort();
        pendingFolders.clear();
        Q_EMIT foldersChanged(folders);
    }
    if (filePending) {
        filePending = false;
        // A file replaced by a rename is another file: follow the new one.
        follow(file);
        Q_EMIT fileChanged(file);
    }
}
