#pragma once

// The deleted list and the redownload list: entries "Artist - Song", newest
// first, duplicates allowed. Both windows read and change them through this
// one object.

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
    void setEntries(Which list, const QStringList &entries);
    void insertAtTop(Which list, const QString &entry);
    void removeAt(Which list, int position);
    void clear(Which list);

    // Reads redownload.txt, then deleted.txt, from folder; a missing file is
    // created empty. Nothing is reported: a list whose file cannot be read
    // stays empty.
    void LoadLists(const QString &folder);
    // Writes both lists to their files; the file of an empty list is removed.
    void SaveLists(const QString &folder) const;

    static QString fileName(Which list);

Q_SIGNALS:
    void changed(ListsModel::Which list);

private:
    QStringList &ref(Which list);

    QStringList redownload;
    QStringList deleted;
};

// A list file's text as entries: split at every CR LF, the piece after the
// last CR LF dropped; text of spaces only is an empty list.
QStringList parseListText(const QString &text);
QString listText(const QStringList &entries);
