#include "lists/ListsModel.h"

#include "platform/Paths.h"
#include "library/SongNames.h"
#include "text/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

using namespace Qt::StringLiterals;

ListsModel::ListsModel(QObject *parent) : QObject(parent) {}

QString ListsModel::fileName(Which list)
{
    return list == Which::Redownload ? u"redownload.txt"_s : u"deleted.txt"_s;
}

QString ListsModel::filePath(Which list) const
{
    return joinPath(listFolder, fileName(list));
}

const QStringList &ListsModel::entries(Which list) const
{
    return (list == Which::Redownload ? redownload : deleted).entries();
}

QAbstractItemModel *ListsModel::model(Which list)
{
    return &ref(list);
}

ListEntriesModel &ListsModel::ref(Which list)
{
    return list == Which::Redownload ? redownload : deleted;
}

void ListsModel::setFolder(const QString &folder)
{
    listFolder = folder;
    leftAlone[0] = leftAlone[1] = false;
}

void ListsModel::changedTo(Which list)
{
    save(list);
    Q_EMIT changed(list);
}

void ListsModel::setEntries(Which list, const QStringList &entries)
{
    ref(list).replace(entries);
    changedTo(list);
}

void ListsModel::insertAtTop(Which list, const QString &entry)
{
    ref(list).insertAtTop(entry);
    changedTo(list);
}

void ListsModel::insertAtTop(Which list, const QStringList &entries)
{
    if (entries.isEmpty())
        return;
    ref(list).insertAtTop(entries);
    changedTo(list);
}

void ListsModel::removePositions(Which list, QList<int> positions)
{
    if (ref(list).removeRowsAt(std::move(positions)))
        changedTo(list);
}

void ListsModel::removeAll(Which list, const QString &entry)
{
    if (ref(list).removeEqual(entry))
        changedTo(list);
}

void ListsModel::clear(Which list)
{
    ref(list).clear();
    changedTo(list);
}

QString listEntry(const QString &artist, const QString &song)
{
    return artist + u" - "_s + song;
}

QStringList parseListText(const QString &text)
{
    if (trimSpaces(text).isEmpty())
        return {};
    QStringList pieces = text.split(u"\r\n"_s);
    pieces.removeLast();
    return pieces;
}

QString listText(const QStringList &entries)
{
    return entries.isEmpty() ? QString() : entries.join(u"\r\n"_s) + u"\r\n"_s;
}

void ListsModel::LoadLists()
{
    if (listFolder.isEmpty())
        return;
    for (Which list : {Which::Redownload, Which::Deleted}) {
        leftAlone[index(list)] = false;
        const QString path = filePath(list);
        const QFileInfo info(path);
        // A link whose target is gone counts as there: the target may come
        // back (a drive not mounted), and saving would replace the link.
        if (!info.exists() && !info.isSymLink()) {
            QFile created(path);
            created.open(QIODevice::WriteOnly | QIODevice::NewOnly);
            continue;
        }
        if (const std::optional<QString> text = readTextFile(path, TextEncoding::CodePageOrUtf8)) {
            ref(list).replace(parseListText(*text));
            Q_EMIT changed(list);
        } else {
            leftAlone[index(list)] = true;
            Q_EMIT loadFailed(path);
        }
    }
}

bool ListsModel::save(Which list)
{
    if (listFolder.isEmpty() || fileLeftAlone(list))
        return true;
    const QString path = filePath(list);
    const QStringList &l = entries(list);
    bool saved = false;
    if (l.isEmpty()) {
        saved = !QFileInfo::exists(path) || QFile::remove(path);
    } else {
        // In the downloader's code page while it holds every entry, as these
        // files always were; a name it cannot hold turns the file to UTF-8
        // rather than into a '?' that no song would match again.
        saved = writeTextFile(path, listText(l), TextEncoding::CodePageOrUtf8) == WriteResult::Written;
    }
    if (!saved)
        Q_EMIT saveFailed(path);
    return saved;
}

void ListsModel::SaveLists()
{
    save(Which::Redownload);
    save(Which::Deleted);
}

QString chooseListsFolder(const QString &programFolder, const QString &userDataFolder)
{
    const QFileInfo program(programFolder);
    if (!programFolder.isEmpty() && program.isDir() && program.isWritable())
        return programFolder;
    if (!userDataFolder.isEmpty())
        QDir().mkpath(userDataFolder);
    return userDataFolder;
}
