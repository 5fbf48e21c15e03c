#pragma once

// Everything Stanzabox asks of the desktop, behind one interface, so that the
// start-up, the library and the windows can be driven by a fake in tests.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

enum class MessageIcon { Information, Stop, Question, Exclamation };
enum class MessageButtons { Ok, YesNo, SaveDiscardCancel };
enum class MessageAnswer { Ok, Yes, No, Save, Discard, Cancel };

// What became of a file sent to the desktop's trash. NoTrash: no trash could
// take it, the file is where it was and deleting it for good would work.
// Failed: it could not be moved at all (gone, or its folder forbids it).
struct TrashResult
{
    enum Status { Trashed, NoTrash, Failed };
    Status status = Failed;
    QString reason; // the system's words, for a message
};

// What became of a song asked back from the trash. TargetExists: a file
// already stands at its place; nothing was touched.
struct RestoreResult
{
    enum Status { Restored, NotInTrash, TargetExists, Failed };
    Status status = Failed;
    QString reason;
};

class Platform
{
public:
    virtual ~Platform() = default;

    // The downloader's install folder: the first value of its registry key,
    // already turned into a native path with '/' separators. Empty when the
    // key, its value or the registry itself is missing.
    virtual QString downloaderInstallFolder() = 0;
    // Where downloaderInstallFolder looks, for telling the user when it
    // found nothing (e.g. the Wine prefix's folder).
    virtual QStringList downloaderSearchPlaces() = 0;
    // A path written by the downloader (drive letter, backslashes) as a native
    // path. A trailing separator is kept.
    virtual QString nativePath(const QString &downloaderPath) = 0;

    // Per-user settings store: text values by application, section and key.
    virtual QString readSetting(const QString &application, const QString &section,
                                const QString &key, const QString &defaultValue) = 0;
    virtual void writeSetting(const QString &application, const QString &section,
                              const QString &key, const QString &value) = 0;

    // The desktop's "open" action; true when it accepted the address.
    virtual bool openUrl(const QUrl &url) = 0;

    // A modal message box; returns the button the user pressed.
    virtual MessageAnswer showMessage(const QString &text, const QString &title,
                                      MessageIcon icon,
                                      MessageButtons buttons = MessageButtons::Ok) = 0;
    virtual void beep() = 0;

    // Folder of the program file (no trailing separator unless it is the root)
    // and the program file's name without extension.
    virtual QString programFolder() = 0;
    virtual QString programName() = 0;
    // A folder of the user's own for the program's data, for when the
    // program's folder cannot be written to.
    virtual QString userDataFolder() = 0;
    // The local date and time.
    virtual QDateTime currentDateTime() = 0;
    // A folder the user picks in the desktop's folder chooser, starting at
    // startFolder; empty when the user cancels.
    virtual QString chooseFolder(const QString &title, const QString &startFolder) = 0;

    // The Windows version word (low byte major, next byte minor); none on a
    // system that is not Windows.
    virtual std::optional<quint16> windowsVersionWord() = 0;
    // Prepares the platform's standard controls; false when that failed.
    virtual bool initCommonControls() = 0;

    // Moves a file to the desktop's trash, as the desktop's file manager
    // would; never deletes it for good.
    virtual TrashResult moveToTrash(const QString &path) = 0;
    // Puts back the file most recently trashed from this absolute path.
    virtual RestoreResult restoreFromTrash(const QString &originalPath) = 0;
    // The original paths of the files in the trash that came from inside
    // folder, for putting songs back by their names.
    virtual QStringList trashedFilesFrom(const QString &folder) = 0;

    // Lets queued window events run once.
    virtual void processPendingEvents() = 0;
};
