#pragma once

// The deleted list and the redownload list: entries "Artist - Song", newest
// first, duplicates allowed. Both windows read and change them through this
// one object, and every change is written to the list's file at once, so a
// program that is killed loses nothing.

#include "lists/ListEntriesModel.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class ListsModel : public QObject
{
    Q_OBJECT

public:
    enum class Which { Redownload, Deleted };

    explicit ListsModel(QObject *parent = nullptr);

    const QStringList &entries(Which list) const;
    // The list as an item model for views; it changes with the list.
    QAbstractItemModel *model(Which list);
    void setEntries(Which list, const QStringList &entries);
    void insertAtTop(Which list, const QString &entry);
    // Several entries at the top in one change (one write of the file); the
    // first given ends on top.
    void insertAtTop(Which list, const QStringList &entries);
    // Removes the entries at the given positions, in one change.
    void removePositions(Which list, QList<int> positions);
    // Removes every entry equal to entry (exact, whole text).
    void removeAll(Which list, const QString &entry);
    void clear(Which list);

    // Where the list files live; changes are written there from now on.
    // Nothing is written while the folder is empty.
    void setFolder(const QString &folder);
    QString folder() const { return listFolder; }

    // Reads redownload.txt, then deleted.txt, from the folder; a missing
    // file is created empty. A list whose file is there but cannot be read
    // starts empty and is never written this run (loadFailed).
    void LoadLists();
    // Writes both lists to their files; the file of an empty list is removed.
    void SaveLists();
    // True when the list's file could not be read at load: it is left alone
    // until the next run, whatever the list holds.
    bool fileLeftAlone(Which list) const { return leftAlone[index(list)]; }

    static QString fileName(Which list);
    QString filePath(Which list) const;

Q_SIGNALS:
    void changed(ListsModel::Which list);
    // A list's file could not be written; the list itself is as it was
    // meant to be, in memory.
    void saveFailed(const QString &path);
    // A list file exists but could not be read. Writing the list back would
    // replace or remove entries nobody has seen, so that list is kept in
    // memory only for this run.
    void loadFailed(const QString &path);

private:
    static int index(Which list) { return list == Which::Redownload ? 0 : 1; }
    ListEntriesModel &ref(Which list);
    void changedTo(Which list);
    // The list's file as SaveLists leaves it; false (and saveFailed) when
    // that failed.
    bool save(Which list);

    ListEntriesModel redownload;
    ListEntriesModel deleted;
    QString listFolder;
    bool leftAlone[2] = {false, false};
};

// A song's entry in the lists: "Artist - Song".
QString listEntry(const QString &artist, const QString &song);

// A list file's text as entries: split at every CR LF, the piece after the
// last CR LF dropped; text of spaces only is an empty list.
QStringList parseListText(const QString &text);
// Entries joined by CR LF, with one CR LF after the last.
QString listText(const QStringList &entries);

// The program's folder when the program may write there, otherwise the
// user's data folder (created if needed).
QString chooseListsFolder(const QString &programFolder, const QString &userDataFolder);
