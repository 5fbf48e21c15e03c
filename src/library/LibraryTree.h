#pragma once

// The artist/song tree as a collection of nodes in order of addition, with
// key lookup and real parent/child links. Scan, snapshot, restore and the
// search filter work on it without any widget; the tree view sees it through
// LibraryTreeModel, which follows the signals below.
//
// Built for libraries of a hundred thousand songs: nodes and their names
// live in a NodeStore, in large blocks, not one allocation each; the key
// index and the table of positions are built when a lookup needs them;
// nodes taken out of the tree stay allocated (flagged as gone) until the
// tree is cleared, so a pointer to one is always safe to look at.
//
// The nodes in the tree always stand in the order the store made them:
// additions go last, removals and filter passes keep the order, and a
// snapshot puts its nodes back in that order. Among its siblings a node
// stands in that order too, unless it was inserted at a row of its own
// (insertKept, for a song that came on disk while the tree was shown): the
// snapshot then keeps the rows as well.

#include "library/NodeStore.h"
#include "library/TreeSnapshot.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class LibraryTree : public QObject
{
    Q_OBJECT

public:
    explicit LibraryTree(QObject *parent = nullptr);
    ~LibraryTree() override;

    int count() const { return nodesInTree; }
    // 1-based; nullptr outside 1..count().
    LibraryNode *node(int index) const;
    LibraryNode *find(const QString &key) const;
    LibraryNode *find(QStringView key) const;
    const NodeList &roots() const { return rootNodes; }

    // Adds a node under parent (a root when null), after its siblings. The
    // key must be new: builders (a scan, a restore) know their keys are.
    // childCapacity reserves room.
    LibraryNode *appendNew(LibraryNode *parent, const QString &key, const QString &text, quint8 image,
                           int childCapacity = 0);
    // The same for texts already in the tree's keeping (texts()), or
    // literals: nothing is copied.
    LibraryNode *appendKept(LibraryNode *parent, QStringView key, QStringView text, quint8 image);
    // The same, at row among its siblings (at most their number) instead of
    // after them; the node is still the last in the collection.
    LibraryNode *insertKept(LibraryNode *parent, int row, QStringView key, QStringView text, quint8 image);
    // Where a builder puts the texts of the nodes it is about to add.
    TextArena &texts() { return store->texts; }
    // Room for capacity children of node, for a builder that knows how many
    // it is about to add.
    void reserveChildren(LibraryNode *node, std::size_t capacity) { store->reserve(node->Children, capacity); }

    // Takes every node of other, which nothing observes, when this tree is
    // empty (one reset for observers); false, changing nothing, otherwise.
    bool takeNodes(LibraryTree &other);

    // The tree as it stands, for RestoreTree; shares the nodes, copies no
    // text. asTaken, when given, says which picture a node's picture is kept
    // as.
    TreeNodeRecords snapshot(quint8 (*asTaken)(quint8) = nullptr) const;
    // Replaces whatever the tree holds by the snapshot's nodes, in its
    // order, each under the parent it had, as they were when added: not
    // bold, unchecked, no tag, with the picture the snapshot kept. One
    // reset for observers.
    void restore(const TreeNodeRecords &snapshot);

    // Changes whenever the nodes are made anew or put back (clear,
    // restore): a picture, tag or check set before is gone, and a node
    // pointer from before may be freed.
    quint64 generation() const { return generationCount; }

    // Takes node out together with its children.
    void remove(LibraryNode *node);
    void clear();

    // One pass over the tree as it stands, dropping what is not kept: for
    // each root node enterArtist(root), then keepSong(child) for each of its
    // children, then keepArtist(root) for the root itself; a dropped root
    // takes its children with it. One reset for observers.
    template<typename Enter, typename SongRule, typename ArtistRule>
    void prune(Enter enterArtist, SongRule keepSong, ArtistRule keepArtist);

    void setImage(LibraryNode *node, quint8 image);
    void setBold(LibraryNode *node, bool bold)
    {
        if (node->Bold == bold)
            return;
        node->Bold = bold;
        if (!inBulkChange())
            Q_EMIT nodeChanged(node);
    }
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
    // Every node, in the tree or taken out, may have been freed.
    void cleared();

private:
    LibraryNode *add(LibraryNode *parent, int row, QStringView key, QStringView text, quint8 image);
    void renumberFrom(int position);
    void renumberRows(NodeList &siblings, std::size_t from);
    // Numbers again the nodes still in the tree, after a pass that set the
    // Index of those it took out to 0.
    void dropMarked();
    void takeOut(LibraryNode *node);
    // The table of positions, when the tree does not hold its whole store.
    void ensureOrder() const;
    const QHash<QStringView, LibraryNode *> &keyIndex() const;

    std::shared_ptr<NodeStore> store;
    NodeList rootNodes; // its room is the store's
    int nodesInTree = 0;
    // Node i + 1 is order[i] while orderValid; when the tree holds every
    // node of its store it is the store's node i, and no table is needed.
    mutable std::vector<LibraryNode *> order;
    mutable bool orderValid = false;
    mutable QHash<QStringView, LibraryNode *> byKey;
    mutable bool keysValid = true;
    int bulkDepth = 0;
    // False once a node was inserted among its siblings rather than after them.
    bool rowsFollowAddition = true;
    quint64 generationCount = 1;
};

// RAII form of beginBulkChange/endBulkChange.
class BulkChange
{
public:
    explicit BulkChange(LibraryTree &changed) : tree(changed) { tree.beginBulkChange(); }
    ~BulkChange() { tree.endBulkChange(); }
    BulkChange(const BulkChange &) = delete;
    BulkChange &operator=(const BulkChange &) = delete;

private:
    LibraryTree &tree;
};

template<typename Enter, typename SongRule, typename ArtistRule>
void LibraryTree::prune(Enter enterArtist, SongRule keepSong, ArtistRule keepArtist)
{
    BulkChange bulk(*this);
    size_t rootsKept = 0;
    for (LibraryNode *root : rootNodes) {
        enterArtist(root);
        auto &children = root->Children;
        size_t kept = 0;
        for (LibraryNode *child : children) {
            if (keepSong(child)) {
                child->Row = int(kept);
                children[kept++] = child;
            } else {
                child->Index = 0;
            }
        }
        if (keepArtist(root)) {
            children.resize(kept);
            root->Row = int(rootsKept);
            rootNodes[rootsKept++] = root;
        } else {
            for (size_t i = 0; i < kept; ++i)
                children[i]->Index = 0;
            children.clear();
            root->Index = 0;
        }
    }
    rootNodes.resize(rootsKept);
    dropMarked();
}
