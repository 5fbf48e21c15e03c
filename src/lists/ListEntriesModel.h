#pragma once

// One list's entries as an item model, for the lists window's views: every
// change arrives as the rows it inserts or removes (or one reset when the
// whole list is replaced), so a view keeps its selection and scroll position.
// Only ListsModel changes it, and writes the list's file after each change.

#include <QAbstractListModel>
#include <QList>
#include <QStringList>

class ListEntriesModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit ListEntriesModel(QObject *parent = nullptr);

    const QStringList &entries() const { return list; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    void replace(const QStringList &entries);
    void insertAtTop(const QString &entry);
    void insertAtTop(const QStringList &entries);
    // Removes the entries at the given rows; rows out of range are ignored.
    // False when nothing was removed.
    bool removeRowsAt(QList<int> rows);
    // Removes every entry equal to entry (exact, whole text).
    bool removeEqual(const QString &entry);
    void clear();

private:
    QStringList list;
};
