#pragma once

// The artist/song tree as a collection of nodes in order of addition, with
// key lookup and real parent/child links. Scan, snapshot, restore and the
// search filter work on it without any widget; the tree view sees it through
// LibraryTreeModel, which follows the signals below.
//
// Built for libraries of a hundred thousand songs: nodes live in blocks,
// not one allocation each; the key index is built when a lookup needs it;
// nodes taken out of the tree stay allocated (flagged as gone) until the
// tree is cleared, so a pointer to one is always safe to look at.

#include <QHash>
#include <QObject>
#include <QString>

#include <memory>
#include <string_view>
#include <vector>

struct LibraryNode
{
    QString Text;
    QString Key;
    QString Tag;
    LibraryNode *Parent = nullptr;
    // In order of addition, wherever the children stand in the collection.
    std::vector<LibraryNode *> Children;
    int Index = 0; // 1-based position in the collection; 0 once taken out
    int Row = 0;   // position among its siblings (root nodes or the parent's children)
    // Where the text case-folded stands in the tree's search text (see
    // LibraryTree::folded).
    quint32 FoldedAt = 0;
    quint32 FoldedLength = 0;
    quint8 Image = 0;
    bool Bold = false;
    bool Checked = false;

    // Artists have songs; a song has none. Every walk tells the kinds apart this way.
    bool hasChildren() const { return !Children.empty(); }
    // Still in the tree (not taken out by a removal or a filter pass).
    bool inTree() const { return Index > 0; }
};

// text with every character case-folded one by one, as Qt compares text
// ignoring case.
QString foldForSearch(QStringView text);

class LibraryTree : public QObject
{
    Q_OBJECT

public:
    explicit LibraryTree(QObject *parent = nullptr);
    ~LibraryTree() override;

    int count() const { return int(order.size()); }
    // 1-based; nullptr outside 1..count().
    LibraryNode *node(int index) const;
    LibraryNode *find(const QString &key) const;
    const std::vector<LibraryNode *> &roots() const { return rootNodes; }

    // Adds a node under parent (a root when null), after its siblings. The
    // key must be new: builders (a scan, a restore) know their keys are.
    // childCapacity reserves room.
    LibraryNode *appendNew(LibraryNode *parent, const QString &key, const QString &text, quint8 image,
                           int childCapacity = 0);

    // A node's text case-folded, for the search: matching folded texts
    // exactly is matching the texts ignoring case. The folded texts of all
    // nodes lie one after another in order of addition, so a pass over the
    // tree reads them front to back.
    std::u16string_view folded(const LibraryNode *node) const
    {
        return std::u16string_view(searchText.data() + node->FoldedAt, node->FoldedLength);
    }

    // Puts nodes that are in the tree's keeping back into it, in this order,
    // each under the parent given (null for a root), as they were when
    // added: not bold, unchecked, no tag, with the image given. Replaces
    // whatever the tree held. Every node must belong to this generation.
    struct Relink
    {
        LibraryNode *Node;
        LibraryNode *Parent;
        quint8 Image;
    };
    void relink(const std::vector<Relink> &nodes);
    // Counts the clear()s: a node pointer from an earlier generation is gone.
    quint64 generation() const { return clears; }

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
    // Every node, in the tree or taken out, has been freed.
    void cleared();

private:
    LibraryNode *allocate();
    void appendFolded(QStringView text);
    void renumberFrom(int position);
    // Drops from the collection every node whose Index is not positive.
    void dropMarked();
    void takeOut(LibraryNode *node);
    const QHash<QString, LibraryNode *> &keyIndex() const;

    // Nodes in blocks; never shrinks but in clear(), so addresses stay valid.
    static constexpr size_t BlockSize = 4096;
    std::vector<std::unique_ptr<LibraryNode[]>> blocks;
    size_t usedInLastBlock = BlockSize;
    std::vector<char16_t> searchText;
    std::vector<LibraryNode *> order;
    std::vector<LibraryNode *> rootNodes;
    mutable QHash<QString, LibraryNode *> byKey;
    mutable bool keysValid = true;
    int bulkDepth = 0;
    quint64 clears = 1;
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
