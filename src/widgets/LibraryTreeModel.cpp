#include "widgets/LibraryTreeModel.h"

#include "widgets/ImageList.h"
#include "library/LibraryTree.h"

#include <QFont>

LibraryTreeModel::LibraryTreeModel(LibraryTree &libraryTree, QObject *parent)
    : QAbstractItemModel(parent), tree(libraryTree)
{
    connect(&tree, &LibraryTree::aboutToReset, this, [this] { beginResetModel(); });
    connect(&tree, &LibraryTree::resetDone, this, [this] { endResetModel(); });
    connect(&tree, &LibraryTree::nodeAboutToBeAdded, this, [this](LibraryNode *into, int row) {
        beginInsertRows(indexOf(into), row, row);
    });
    connect(&tree, &LibraryTree::nodeAdded, this, [this] { endInsertRows(); });
    connect(&tree, &LibraryTree::nodeAboutToBeRemoved, this, [this](LibraryNode *node) {
        beginRemoveRows(indexOf(node->Parent), node->Row, node->Row);
    });
    connect(&tree, &LibraryTree::nodeRemoved, this, [this] { endRemoveRows(); });
    connect(&tree, &LibraryTree::nodeChanged, this, [this](LibraryNode *node) {
        const QModelIndex i = indexOf(node);
        Q_EMIT dataChanged(i, i);
    });
}

LibraryNode *LibraryTreeModel::nodeAt(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<LibraryNode *>(index.internalPointer()) : nullptr;
}

QModelIndex LibraryTreeModel::indexOf(const LibraryNode *node) const
{
    // The node's address is the index's id: Qt hashes ids unmixed, and small
    // numbers would make expanding a large tree crawl.
    return node ? createIndex(node->Row, 0, const_cast<LibraryNode *>(node)) : QModelIndex();
}

void LibraryTreeModel::setCheckBoxesVisible(bool visible)
{
    if (showCheckBoxes == visible)
        return;
    showCheckBoxes = visible;
    // Every row's look changes; a reset would lose the expanded artists.
    for (const LibraryNode *root : tree.roots()) {
        const QModelIndex r = indexOf(root);
        Q_EMIT dataChanged(r, r, {Qt::CheckStateRole});
        if (root->hasChildren())
            Q_EMIT dataChanged(index(0, 0, r), index(int(root->Children.size()) - 1, 0, r),
                               {Qt::CheckStateRole});
    }
}

QModelIndex LibraryTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0)
        return {};
    const LibraryNode *p = nodeAt(parent);
    const auto &siblings = p ? p->Children : tree.roots();
    if (size_t(row) >= siblings.size())
        return {};
    return indexOf(siblings[size_t(row)]);
}

QModelIndex LibraryTreeModel::parent(const QModelIndex &child) const
{
    const LibraryNode *n = nodeAt(child);
    return n ? indexOf(n->Parent) : QModelIndex();
}

int LibraryTreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    const LibraryNode *p = nodeAt(parent);
    return int(p ? p->Children.size() : tree.roots().size());
}

int LibraryTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

bool LibraryTreeModel::hasChildren(const QModelIndex &parent) const
{
    return rowCount(parent) > 0;
}

QVariant LibraryTreeModel::data(const QModelIndex &index, int role) const
{
    const LibraryNode *n = nodeAt(index);
    if (!n)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return n->Text.toString();
    case Qt::DecorationRole:
        return ImageList::icon(n->Image);
    case Qt::FontRole:
        if (n->Bold) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::CheckStateRole:
        if (showCheckBoxes)
            return n->Checked ? Qt::Checked : Qt::Unchecked;
        return {};
    default:
        return {};
    }
}

bool LibraryTreeModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    LibraryNode *n = nodeAt(index);
    if (!n || role != Qt::CheckStateRole || !showCheckBoxes)
        return false;
    tree.setChecked(n, value.toInt() == Qt::Checked);
    Q_EMIT nodeCheckChanged(n);
    return true;
}

Qt::ItemFlags LibraryTreeModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (showCheckBoxes)
        f |= Qt::ItemIsUserCheckable;
    return f;
}
