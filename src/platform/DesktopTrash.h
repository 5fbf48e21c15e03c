#pragma once

// The trash that Linux desktops share: files go into it through GIO, the way
// the file managers send them, and come back by reading the trash folders'
// info files. GLib stays out of this header: its headers and Qt's keywords
// do not mix.

#include "platform/Platform.h"

#include <QList>
#include <QString>
#include <QStringList>

class DesktopTrash
{
public:
    // A trash folder (holding info/ and files/) and the folder that the
    // relative original paths of its entries start from.
    struct Folder
    {
        QString path;
        QString base;
    };

    static TrashResult moveToTrash(const QString &path);

    // Puts back the newest entry for this absolute path, looking in the home
    // trash and in the trashes of the file system that holds the path.
    static RestoreResult restore(const QString &originalPath);
    // The same, looking only in these folders.
    static RestoreResult restore(const QString &originalPath, const QList<Folder> &folders);

    // The original paths of the files in the trash that came from inside
    // folder (the home trash and the trashes of folder's file system).
    static QStringList trashedFrom(const QString &folder);
    static QStringList trashedFrom(const QString &folder, const QList<Folder> &folders);
    // The home trash, then the trashes of the file system that holds path.
    static QList<Folder> foldersFor(const QString &path);

    // $XDG_DATA_HOME/Trash, as GLib read the variable on first use.
    static QString homeFolder();
    // GIO sends a file to the home trash when it lies on the home folder's
    // file system, and to that file system's own trash otherwise.
    static bool usesHomeTrash(const QString &path);
    // The top folder of the file system that holds path, which need not
    // exist; symbolic links followed.
    static QString topDirectory(const QString &path);
    // The trashes of this user in a file system's top folder that may be
    // trusted: .Trash/<uid> inside a sticky .Trash that is no symbolic link,
    // and .Trash-<uid>; each only when it is a folder the user owns.
    static QList<Folder> topDirectoryFolders(const QString &topDirectory);
};
