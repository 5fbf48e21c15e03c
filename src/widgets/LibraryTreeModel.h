#pragma once

// The tree view's window on the library tree: two levels, artists and their
// songs, with the shared pictures, bold matches and, in join mode, check boxes.

#include <QAbstractItemModel>
#include <QIcon>

#include <array>

class LibraryTree;
struct LibraryNode;

class LibraryTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    explicit LibraryTreeModel(LibraryTree &tree, QObject *parent = nullptr);

    LibraryNode *nodeAt(const QModelIndex &index) const;
    QModelIndex indexOf(const LibraryNode *node) const;

    void setCheckBoxesVisible(bool visible);
    bool checkBoxesVisible() const { return showCheckBoxes; }

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

Q_SIGNALS:
    // The user ticked or cleared a node's check box.
    void nodeCheckChanged(LibraryNode *node);

private:
    LibraryTree &tree;
    bool showCheckBoxes = false;
};
