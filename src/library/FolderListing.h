#pragma once

// One pass over a letter folder of the cache: the song files it holds and the
// timestamp files beside them, from a single directory read.

#include <QSet>
#include <QString>
#include <QStringList>

struct FolderListing
{
    // Visible regular files ending in ".txt" (any letter case), sorted by
    // name the way the downloader's platform lists them: ignoring case first.
    QStringList Songs;
    // Visible regular files ending in ".kas", by exact name.
    QSet<QString> Timestamps;
    bool Readable = false;
};

FolderListing listLetterFolder(const QString &folder);
