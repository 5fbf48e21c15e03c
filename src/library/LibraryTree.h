#pragma once

// The artist/song tree as a collection of nodes in order of addition, with
// key lookup and real parent/child links. Scan, snapshot, restore and the
// search filter work on it without any widget; the tree view sees it through
// LibraryTreeModel, which follows the signals below.

#include <QHash>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

struct LibraryNode
{
    QString Text;
    QString Key;
    QString Tag;
    LibraryNode *Parent = nullptr;
    // In order of addition, wherever the children stand in the collection.
    std::vector<LibraryNode *> Children;
    int Index = 0; // 1-based position in the collection
    int Row = 0;   // position among its siblings (root nodes or the parent's children)
    quint8 Image = 0;
    bool Bold = false;
    bool Checked = false;

    // Artists have songs; a song has none. Every walk tells the kinds apart this way.
    bool hasChildren() const { return !Children.empty(); }
};

class LibraryTree : public QObject
{
    Q_OBJECT

public:
    explicit LibraryTree(QObject *parent = nullptr);
    ~LibraryTree() override;

    int count() const { return int(nodes.size()); }
    // 1-based; nullptr outside 1..count().
    LibraryNode *node(int index) const;
    LibraryNode *find(const QString &key) const;
    const std::vector<LibraryNode *> &roots() const { return rootNodes; }

    // Adds a root node, or returns the node that already has the key.
    LibraryNode *addRoot(const QString &key, const QString &text, quint8 image);
    // Adds a child of parent; nullptr (nothing added) when the key is taken.
    LibraryNode *addChild(LibraryNode *parent, const QString &key, const QString &text,
                          quint8 image);

    // Removes node together with its children.
    void remove(LibraryNode *node);
    void clear();
    // Keeps the nodes whose keep flag (by 0-based position) is set, in one
    // pass. A kept child of a dropped parent is dropped too.
    void compact(const std::vector<bool> &keep);

    void setImage(LibraryNode *node, quint8 image);
    void setBold(LibraryNode *node, bool bold);
    void setChecked(LibraryNode *node, bool checked);
    void setTag(LibraryNode *node, const QString &tag);

    // Bulk changes (scan, restore, a filter pass) reach observers as one
    // reset instead of one notice per node. Calls nest.
    void beginBulkChange();
    void endBulkChange();
    bool inBulkChange() const { return bulkDepth > 0; }

Q_SIGNALS:
    void aboutToReset();
    void resetDone();
    void nodeAboutToBeAdded(LibraryNode *parent, int row);
    void nodeAdded();
    void nodeAboutToBeRemoved(LibraryNode *node);
    void nodeRemoved();
    void nodeChanged(LibraryNode *node);

private:
    LibraryNode *append(LibraryNode *parent, const QString &key, const QString &text,
                        quint8 image);
    void renumberFrom(int position);

    std::vector<std::unique_ptr<LibraryNode>> nodes;
    std::vector<LibraryNode *> rootNodes;
    QHash<QString, LibraryNode *> byKey;
    int bulkDepth = 0;
};

// RAII form of beginBulkChange/endBulkChange.
class BulkChange
{
public:
    explicit BulkChange(LibraryTree &tree) : tree(tree) { tree.beginBulkChange(); }
    ~BulkChange() { tree.endBulkChange(); }
    BulkChange(const BulkChange &) = delete;
    BulkChange &operator=(const BulkChange &) = delete;

private:
    LibraryTree &tree;
};
