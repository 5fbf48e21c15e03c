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
// One order: the collection numbers the nodes the way the tree shows them,
// each artist followed directly by its songs (node(i), LibraryNode::Index).
// A node inserted among its siblings takes its place in the collection
// too, not the end of it, so positions, a walk over the collection and a
// snapshot all see what the view shows. While the nodes stand in the order
// the store made them (as after most scans) a position costs no table.

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
    // 1-based, in the tree's order; nullptr outside 1..count().
    LibraryNode *node(int index) const;
    LibraryNode *find(const QString &key) const;
    LibraryNode *find(QStringView key) const;
    LibraryNode *find(NodeText key) const;
    const NodeList &roots() const { return rootNodes; }

    // Adds a node under parent (a root when null), after its siblings. The
    // key must be new: builders (a scan, a restore) know their keys are.
    // childCapacity reserves room.
    LibraryNode *appendNew(LibraryNode *parent, const QString &key, const QString &text, quint8 image,
                           int childCapacity = 0);
    // The same for texts already in the tree's keeping (texts()), or
    // literals: nothing is copied.
    LibraryNode *appendKept(LibraryNode *parent, NodeText key, NodeText text, quint8 image);
    // The same, at row among its siblings (at most their number) instead of
    // after them, and at that place in the collection: the nodes after it
    // move one position on, which costs a pass over them.
    LibraryNode *insertKept(LibraryNode *parent, int row, NodeText key, NodeText text, quint8 image);
    // Where a builder puts the texts of the nodes it is about to add.
    TextArena &texts() { return store->texts; }
    // Room for capacity children of node, for a builder that knows how many
    // it is about to add.
    void reserveChildren(LibraryNode *node, std::size_t capacity) { store->reserve(node->Children, capacity); }
    // After a scan: the room the store took and did not fill goes back.
    void releaseUnusedRoom() { store->releaseUnused(); }

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

    // Many insertions and removals in a row (a change on disk) number the
    // collection once, when the last of them is done, instead of once each.
    // In between, positions (Index, node()) are not to be read; rows are
    // right throughout. A bulk change does the same. Calls nest.
    void beginChanges() { ++changesDepth; }
    void endChanges();

    // What is wrong with the tree, or empty text: the collection numbers
    // the nodes in the tree's order, node(i) and find() give them back, rows
    // and parents agree, every artist has songs and a song has none. A
    // pass over the whole tree, for tests and debug builds.
    QString checkInvariants() const;

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
    LibraryNode *add(LibraryNode *parent, int row, NodeText key, NodeText text, quint8 image);
    // The position a node added at row among parent's children (or the
    // roots) takes in the collection.
    int positionFor(const LibraryNode *parent, int row) const;
    void renumberFrom(int position);
    void renumberRows(NodeList &siblings, std::size_t from);
    // Numbers the nodes in the tree's order, from the first.
    void number();
    // Numbers again the nodes still in the tree, after a pass that set the
    // Index of those it took out to 0.
    void dropMarked();
    void takeOut(LibraryNode *node);
    bool deferringNumbers() const { return bulkDepth > 0 || changesDepth > 0; }
    // The table of positions, when the collection is not the store.
    void ensureOrder() const;
    const QHash<NodeText, LibraryNode *> &keyIndex() const;

    std::shared_ptr<NodeStore> store;
    NodeList rootNodes; // its room is the store's
    int nodesInTree = 0;
    // Node i + 1 is order[i] while orderValid; while storeInOrder it is the
    // store's node i, and no table is needed.
    mutable std::vector<LibraryNode *> order;
    mutable bool orderValid = false;
    // The tree holds every node of its store, in the store's order.
    bool storeInOrder = true;
    // Nodes were put among others or taken out while numbering waited: the
    // positions are wrong until number().
    bool numbersStale = false;
    mutable QHash<NodeText, LibraryNode *> byKey;
    mutable bool keysValid = true;
    int bulkDepth = 0;
    int changesDepth = 0;
    quint64 generationCount = 1;
};

// RAII form of beginChanges/endChanges.
class TreeChanges
{
public:
    explicit TreeChanges(LibraryTree &changed) : tree(changed) { tree.beginChanges(); }
    ~TreeChanges() { tree.endChanges(); }
    TreeChanges(const TreeChanges &) = delete;
    TreeChanges &operator=(const TreeChanges &) = delete;

private:
    LibraryTree &tree;
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
