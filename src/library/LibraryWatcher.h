#pragma once

// Tells when the cache on disk changed under the program: which letter
// folders gained, lost or renamed files, and when one watched file (the song
// on display) was written. Changes are gathered until the disk has been
// quiet for a moment, so a downloader writing a burst of files, or one file
// in several writes, is told once, when it has settled, and never later than
// about a second after the first change.
//
// Following the disk never stops by itself: a letter folder or the cache
// folder that is removed, replaced by another of the same name, or made
// after the watching began is watched again; while the cache folder is
// missing, the nearest folder above it is watched for its return. A folder
// the system refuses to watch (its limit of watches reached) is looked at
// every PollMs instead, and that is told once.

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

class QFileSystemWatcher;

class LibraryWatcher : public QObject
{
    Q_OBJECT

public:
    explicit LibraryWatcher(QObject *parent = nullptr);

    // Watches the cache folder (ending in '/') and its letter folders A to
    // Z, in whichever case each is there, all anew; an empty path stops
    // watching.
    void watch(const QString &cachePath);
    // One file watched besides; an empty path watches none.
    void watchFile(const QString &path);

    // Quiet time before changes are told, and the longest a change waits.
    static constexpr int SettleMs = 250;
    static constexpr int LongestWaitMs = 900;
    // How often a folder that could not be watched is looked at.
    static constexpr int PollMs = 2000;

    // What a path on disk is now: which file (device and inode), and when
    // and how it last changed. Equal states: nothing seen changed.
    struct DiskState
    {
        bool exists = false;
        quint64 device = 0;
        quint64 inode = 0;
        qint64 modifiedNs = 0;
        qint64 changedNs = 0;
        qint64 size = 0;
        bool sameFile(const DiskState &o) const { return exists == o.exists && device == o.device && inode == o.inode; }
        friend bool operator==(const DiskState &, const DiskState &) = default;
    };

Q_SIGNALS:
    // Letter folders ("A", or "a" where that is the one there) whose files
    // changed, came or went, in order. Empty: the cache folder itself came
    // or went, and the whole library is to be read again.
    void foldersChanged(const QStringList &folders);
    // The watched file was written, replaced or removed.
    void fileChanged(const QString &path);
    // These folders or files could not be watched although they are there
    // (the system's limit of watches): they are looked at every PollMs
    // instead. Told once in the watcher's life.
    void watchingLimited(const QStringList &paths);

private:
    void onDirectoryChanged(const QString &path);
    void onFileChanged(const QString &path);
    // Makes what is watched match what is on disk: the cache folder and its
    // letter folders, or the nearest folder above a missing cache folder.
    // Letter folders that came, went or were replaced become pending; the
    // cache folder coming or going makes the whole library pending.
    void arm();
    // Watches path as the file or folder it is now, unless it is already;
    // true when it was not.
    bool follow(const QString &path);
    void unfollow(const QString &path);
    void pollFolders();
    bool isFollowing(const QString &path) const;
    void tellRefused();
    void changed();
    void tell();

    QFileSystemWatcher *watcher = nullptr;
    QString cache;
    QString file;
    // Everything followed, by path, as it was when the following began
    // (the cache folder, its letter folders, the folder above a missing
    // cache, the file); polled paths as last looked at.
    QHash<QString, DiskState> followed;
    QSet<QString> polled;
    QStringList watchedLetters; // followed now, by name
    QString anchor;            // the folder above a missing cache folder
    bool cacheThere = false;
    QSet<QString> pendingFolders;
    bool wholeLibraryPending = false;
    bool filePending = false;
    QStringList refused;       // not told yet
    bool limitTold = false;
    QTimer settle;
    QTimer poll;
    QElapsedTimer firstChange;
};
