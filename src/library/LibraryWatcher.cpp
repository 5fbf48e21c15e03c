#include "library/LibraryWatcher.h"

#include "library/LibraryScan.h"

#include <QFileInfo>
#include <QFileSystemWatcher>

#include <algorithm>

LibraryWatcher::LibraryWatcher(QObject *parent) : QObject(parent)
{
    watcher = new QFileSystemWatcher(this);
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, &LibraryWatcher::onDirectoryChanged);
    connect(watcher, &QFileSystemWatcher::fileChanged, this, &LibraryWatcher::onFileChanged);
    settle.setSingleShot(true);
    connect(&settle, &QTimer::timeout, this, &LibraryWatcher::tell);
}

void LibraryWatcher::watch(const QString &cachePath)
{
    if (const QStringList watched = watcher->directories(); !watched.isEmpty())
        watcher->removePaths(watched);
    letterFolders.clear();
    pendingFolders.clear();
    cache = cachePath;
    if (cache.isEmpty() || !QFileInfo(cache).isDir())
        return;
    watcher->addPath(cache);
    watchLetterFolders();
}

void LibraryWatcher::watchFile(const QString &path)
{
    if (!file.isEmpty())
        watcher->removePath(file);
    file = path;
    filePending = false;
    if (!file.isEmpty() && QFileInfo::exists(file))
        watcher->addPath(file);
}

QStringList LibraryWatcher::watchLetterFolders()
{
    QStringList now;
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
        const QString name = letterFolderName(cache, letter);
        if (!name.isEmpty())
            now.append(name);
    }
    QStringList cameOrWent;
    for (const QString &name : std::as_const(letterFolders)) {
        if (!now.contains(name)) {
            watcher->removePath(cache + name);
            cameOrWent.append(name);
        }
    }
    for (const QString &name : std::as_const(now)) {
        if (!letterFolders.contains(name)) {
            watcher->addPath(cache + name);
            cameOrWent.append(name);
        }
    }
    letterFolders = now;
    return cameOrWent;
}

void LibraryWatcher::onDirectoryChanged(const QString &path)
{
    if (path == cache) {
        // A letter folder made or removed: its songs came or went with it.
        for (const QString &name : watchLetterFolders())
            pendingFolders.insert(name);
    } else if (path.startsWith(cache)) {
        pendingFolders.insert(path.mid(cache.size()));
    }
    changed();
}

void LibraryWatcher::onFileChanged(const QString &path)
{
    if (path != file)
        return;
    // A file replaced by a rename is no longer watched: watch the new one.
    if (QFileInfo::exists(file) && !watcher->files().contains(file))
        watcher->addPath(file);
    filePending = true;
    changed();
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
    if (!pendingFolders.isEmpty()) {
        QStringList folders(pendingFolders.begin(), pendingFolders.end());
        folders.sort();
        pendingFolders.clear();
        Q_EMIT foldersChanged(folders);
    }
    if (filePending) {
        filePending = false;
        if (QFileInfo::exists(file) && !watcher->files().contains(file))
            watcher->addPath(file);
        Q_EMIT fileChanged(file);
    }
}
