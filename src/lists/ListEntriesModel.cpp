#include "lists/ListEntriesModel.h"

#include <algorithm>

ListEntriesModel::ListEntriesModel(QObject *parent) : QAbstractListModel(parent) {}

int ListEntriesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(list.size());
}

QVariant ListEntriesModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return list.at(index.row());
    return {};
}

Qt::ItemFlags ListEntriesModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

void ListEntriesModel::replace(const QStringList &entries)
{
    beginResetModel();
    list = entries;
    endResetModel();
}

void ListEntriesModel::insertAtTop(const QString &entry)
{
    beginInsertRows(QModelIndex(), 0, 0);
    list.prepend(entry);
    endInsertRows();
}

void ListEntriesModel::insertAtTop(const QStringList &entries)
{
    if (entries.isEmpty())
        return;
    beginInsertRows(QModelIndex(), 0, int(entries.size()) - 1);
    list = entries + list;
    endInsertRows();
}

bool ListEntriesModel::removeRowsAt(QList<int> rows)
{
    const int count = int(list.size());
    rows.erase(std::remove_if(rows.begin(), rows.end(), [count](int row) { return row < 0 || row >= count; }),
               rows.end());
    if (rows.isEmpty())
        return false;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // Runs of neighbouring rows go as one removal each, from the bottom up,
    // so the rows still to go keep their numbers.
    qsizetype end = rows.size();
    while (end > 0) {
        qsizetype start = end - 1;
        while (start > 0 && rows[start - 1] == rows[start] - 1)
            --start;
        const int first = rows[start];
        const int last = rows[end - 1];
        beginRemoveRows(QModelIndex(), first, last);
        list.remove(first, last - first + 1);
        endRemoveRows();
        end = start;
    }
    return true;
}

bool ListEntriesModel::removeEqual(const QString &entry)
{
    QList<int> rows;
    for (int row = 0; row < list.size(); ++row) {
        if (list.at(row) == entry)
            rows.append(row);
    }
    return removeRowsAt(rows);
}

void ListEntriesModel::clear()
{
    if (list.isEmpty())
        return;
    beginRemoveRows(QModelIndex(), 0, int(list.size()) - 1);
    list.clear();
    endRemoveRows();
}
