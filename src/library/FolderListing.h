#pragma once

// One pass over a letter folder of the cache: the song files it holds and
// whether each has its timestamp file beside it, from a single directory
// read and no look-up per file.

#include "library/TextArena.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

struct FolderListing
{
    struct Song
    {
        // The file name; the key prefix given to listLetterFolder stands
        // right before it.
        QStringView Name;
        bool HasTimestamps = false;

        // The prefix and the name, in one piece.
        QStringView key(qsizetype prefixLength) const
        {
            return QStringView(Name.utf16() - prefixLength, Name.size() + prefixLength);
        }
    };
    // Visible regular files ending in ".txt" (any letter case), sorted by
    // name the way the downloader's platform lists them: ignoring case first.
    std::vector<Song> Songs;
    bool Readable = false;

    QStringList names() const;

    // Where the names are kept when the caller gave no arena.
    std::unique_ptr<TextArena> ownNames;
};

// The names are kept in names, each after keyPrefix (so that prefix and
// name make the song's key in one piece), or in the listing itself.
FolderListing listLetterFolder(const QString &folder, TextArena *names = nullptr, QStringView keyPrefix = {});
