#include "lists/ListsModel.h"

#include "app/CacheFolder.h"
#include "library/SongNames.h"
#include "text/TextFile.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

ListsModel::ListsModel(QObject *parent) : QObject(parent) {}

QString ListsModel::fileName(Which list)
{
    return list == Which::Redownload ? u"redownload.txt"_s : u"deleted.txt"_s;
}

const QStringList &ListsModel::entries(Which list) const
{
    return list == Which::Redownload ? redownload : deleted;
}

QStringList &ListsModel::ref(Which list)
{
    return list == Which::Redownload ? redownload : deleted;
}

void ListsModel::setEntries(Which list, const QStringList &entries)
{
    ref(list) = entries;
    Q_EMIT changed(list);
}

void ListsModel::insertAtTop(Which list, const QString &entry)
{
    ref(list).prepend(entry);
    Q_EMIT changed(list);
}

void ListsModel::removeAt(Which list, int position)
{
    QStringList &l = ref(list);
    if (position < 0 || position >= l.size())
        return;
    l.removeAt(position);
    Q_EMIT changed(list);
}

void ListsModel::clear(Which list)
{
    ref(list).clear();
    Q_EMIT changed(list);
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

void ListsModel::LoadLists(const QString &folder)
{
    for (Which list : {Which::Redownload, Which::Deleted}) {
        const QString path = joinPath(folder, fileName(list));
        if (!QFileInfo::exists(path)) {
            QFile created(path);
            created.open(QIODevice::WriteOnly | QIODevice::NewOnly);
            continue;
        }
        if (const std::optional<QString> text = readTextFile(path))
            setEntries(list, parseListText(*text));
    }
}

void ListsModel::SaveLists(const QString &folder) const
{
    for (Which list : {Which::Redownload, Which::Deleted}) {
        const QString path = joinPath(folder, fileName(list));
        const QStringList &l = entries(list);
        if (l.isEmpty())
            QFile::remove(path);
        else
            writeTextFile(path, listText(l), true);
    }
}
