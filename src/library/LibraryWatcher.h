#pragma once

// Tells when the cache on disk changed under the program: which letter
// folders gained, lost or renamed files, and when one watched file (the song
// on display) was written. Changes are gathered until the disk has been
// quiet for a moment, so a downloader writing a burst of files, or one file
// in several writes, is told once, when it has settled, and never later than
// about a second after the first change.

#include <QElapsedTimer>
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
    // Z, in whichever case each is there; an empty path stops watching.
    void watch(const QString &cachePath);
    // One file watched besides; an empty path watches none.
    void watchFile(const QString &path);

    // Changes are waiting to be told.
    bool isSettling() const { return settle.isActive(); }

    // Quiet time before changes are told, and the longest a change waits.
    static constexpr int SettleMs = 250;
    static constexpr int LongestWaitMs = 900;

Q_SIGNALS:
    // Letter folders ("A", or "a" where that is the one there) whose files
    // changed, came or went, in order.
    void foldersChanged(const QStringList &folders);
    // The watched file was written, replaced or removed.
    void fileChanged(const QString &path);

private:
    void onDirectoryChanged(const QString &path);
    void onFileChanged(const QString &path);
    // Watches the letter folders there now; returns those that came or went.
    QStringList watchLetterFolders();
    void changed();
    void tell();

    QFileSystemWatcher *watcher = nullptr;
    QString cache;
    QString file;
    QStringList letterFolders; // watched now, by name
    QSet<QString> pendingFolders;
    bool filePending = false;
    QTimer settle;
    QElapsedTimer firstChange;
};
