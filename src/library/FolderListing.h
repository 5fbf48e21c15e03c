#pragma once

// One pass over a letter folder of the cache: the song files it holds and
// whether each has its timestamp file beside it, from a single directory
// read and no look-up per file.

#include <QString>
#include <QStringList>

#include <vector>

struct FolderListing
{
    struct Song
    {
        QString Name;
        bool HasTimestamps = false;
        // Only when asked for: the file's size and modification time (ns).
        qint64 Size = -1;
        qint64 ModifiedNs = 0;
    };
    // Visible regular files ending in ".txt" (any letter case), sorted by
    // name the way the downloader's platform lists them: ignoring case first.
    std::vector<Song> Songs;
    bool Readable = false;

    QStringList names() const;
};

// withStamps: also the size and modification time of every song file, from
// the same pass (a look-up relative to the open folder, not a path per file).
FolderListing listLetterFolder(const QString &folder, bool withStamps = false);
