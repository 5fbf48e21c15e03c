#pragma once

// The music files under a folder, with their size and modification time,
// from one pass of directory reads (no file is opened). Links are followed;
// a folder reached a second time (a link loop, or a second way in) is
// skipped and counted, as is a folder that cannot be listed. Hidden files
// and folders are left out; the lyrics writer's own leftover copies are
// removed on the way.

#include <QList>
#include <QString>

#include <atomic>
#include <vector>

struct MusicFile
{
    QString Path;
    qint64 Size = 0;
    qint64 ModifiedNs = 0;
};

struct MusicFolderWalk
{
    bool RootMissing = false;
    std::vector<MusicFile> Files; // in folder order, each folder's names sorted
    QList<QString> Folders;       // every folder listed, the root first
    int LinkLoops = 0;
    int UnreadableFolders = 0;
    int LeftoversRemoved = 0;
    bool Cancelled = false;
};

// cancel, when given, stops the walk between two folders.
MusicFolderWalk walkMusicFolder(const QString &root, const std::atomic_bool *cancel = nullptr);
