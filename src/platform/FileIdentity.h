#pragma once

// Which file a path names, the way the file system tells files apart: a file
// keeps its identity when it is renamed or moved within its file system, so
// a song renamed from outside can be found again under its new name.

#include <QString>
#include <QStringList>

struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;

    bool isKnown() const { return inode != 0; }
    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};

// None when nothing is there.
FileIdentity fileIdentity(const QString &path);

// The file among the ".txt" files of the folders (names under root) that is
// this one, as "folder/name"; empty when none is.
QString findFileByIdentity(const QString &root, const QStringList &folders, const FileIdentity &identity);
