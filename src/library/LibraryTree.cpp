#include "library/LibraryTree.h"

#include <algorithm>

LibraryTree::LibraryTree(QObject *parent) : QObject(parent), store(std::make_shared<NodeStore>()) {}

LibraryTree::~LibraryTree() = default;

void LibraryTree::ensureOrder() const
{
    if (orderValid)
        return;
    order.clear();
    order.reserve(size_t(nodesInTree));
    store->forEach([this](LibraryNode *n) {
        if (n->inTree())
            order.push_back(n);
    });
    orderValid = true;
}

LibraryNode *LibraryTree::node(int index) const
{
    if (index < 1 || index > count())
        return nullptr;
    if (!orderValid && size_t(nodesInTree) == store->size())
        return store->at(size_t(index - 1));
    ensureOrder();
    return order[size_t(index - 1)];
}

const QHash<QStringView, LibraryNode *> &LibraryTree::keyIndex() const
{
    if (!keysValid) {
        byKey.clear();
        byKey.reserve(qsizetype(nodesInTree));
        store->forEach([this](LibraryNode *n) {
            if (n->inTree())
                byKey.insert(n->Key.view(), n);
        });
        keysValid = true;
    }
    return byKey;
}

LibraryNode *LibraryTree::find(QStringView key) const
{
    return keyIndex().value(key, nullptr);
}

LibraryNode *LibraryTree::find(const QString &key) const
{
    return find(QStringView(key));
}

LibraryNode *LibraryTree::appendNew(LibraryNode *parent, const QString &key, const QString &text,
                                    quint8 image, int childCapacity)
{
    const QStringView keptKey = store->texts.keep(key);
    const QStringView keptText = store->texts.keep(text);
    LibraryNode *n = appendKept(parent, keptKey, keptText, image);
    if (childCapacity > 0)
        store->reserve(n->Children, size_t(childCapacity));
    return n;
}

LibraryNode *LibraryTree::appendKept(LibraryNode *parent, QStringView key, QStringView text, quint8 image)
{
    const auto &siblings = parent ? parent->Children : rootNodes;
    return add(parent, int(siblings.size()), key, text, image);
}

LibraryNode *LibraryTree::insertKept(LibraryNode *parent, int row, QStringView key, QStringView text, quint8 image)
{
    const auto &siblings = parent ? parent->Children : rootNodes;
    row = std::clamp(row, 0, int(siblings.size()));
    if (row < int(siblings.size()))
        rowsFollowAddition = false;
    return add(parent, row, key, text, image);
}

LibraryNode *LibraryTree::add(LibraryNode *parent, int row, QStringView key, QStringView text, quint8 image)
{
    auto &siblings = parent ? parent->Children : rootNodes;
    if (!inBulkChange())
        Q_EMIT nodeAboutToBeAdded(parent, row);

    LibraryNode *n = store->make();
    n->Text = text;
    n->Key = key;
    n->Image = image;
    n->Parent = parent;
    n->Row = row;
    n->Index = ++nodesInTree;
    if (orderValid)
        order.push_back(n);
    if (size_t(row) == siblings.size()) {
        store->append(siblings, n);
    } else {
        store->insert(siblings, size_t(row), n);
        renumberRows(siblings, size_t(row) + 1);
    }
    // A look-up table made already takes the node in; none is made for it.
    if (keysValid && !byKey.isEmpty())
        byKey.insert(n->Key.view(), n);
    else
        keysValid = false;

    if (!inBulkChange())
        Q_EMIT nodeAdded();
    return n;
}

void LibraryTree::renumberRows(NodeList &siblings, std::size_t from)
{
    for (std::size_t r = from; r < siblings.size(); ++r)
        siblings[r]->Row = int(r);
}

void LibraryTree::takeOut(LibraryNode *n)
{
    n->Index = 0;
    n->Children.clear();
}

void LibraryTree::remove(LibraryNode *n)
{
    if (!n || !n->inTree() || node(n->Index) != n)
        return;
    if (!inBulkChange())
        Q_EMIT nodeAboutToBeRemoved(n);

    ensureOrder();
    auto &siblings = n->Parent ? n->Parent->Children : rootNodes;
    siblings.erase(siblings.begin() + n->Row);
    renumberRows(siblings, size_t(n->Row));

    const int first = n->Index;
    for (LibraryNode *child : n->Children)
        child->Index = 0;
    n->Index = 0;
    order.erase(std::remove_if(order.begin() + (first - 1), order.end(),
                               [](const LibraryNode *x) { return !x->inTree(); }),
                order.end());
    if (keysValid) {
        for (LibraryNode *child : n->Children)
            byKey.remove(child->Key.view());
        byKey.remove(n->Key.view());
    }
    for (LibraryNode *child : n->Children)
        takeOut(child);
    takeOut(n);
    nodesInTree = int(order.size());
    renumberFrom(first);

    if (!inBulkChange())
        Q_EMIT nodeRemoved();
}

void LibraryTree::clear()
{
    BulkChange bulk(*this);
    rootNodes = NodeList();
    order.clear();
    orderValid = false;
    nodesInTree = 0;
    byKey.clear();
    keysValid = true;
    rowsFollowAddition = true;
    // The nodes and their names go with the store, unless a snapshot still
    // holds it.
    store = std::make_shared<NodeStore>();
    ++generationCount;
    Q_EMIT cleared();
}

bool LibraryTree::takeNodes(LibraryTree &other)
{
    if (store->size() != 0)
        return false;
    BulkChange bulk(*this);
    std::swap(store, other.store);
    std::swap(rootNodes, other.rootNodes);
    std::swap(nodesInTree, other.nodesInTree);
    std::swap(rowsFollowAddition, other.rowsFollowAddition);
    order.clear();
    orderValid = false;
    keysValid = false;
    ++generationCount;
    other.clear();
    return true;
}

TreeNodeRecords LibraryTree::snapshot(quint8 (*asTaken)(quint8)) const
{
    TreeNodeRecords s;
    s.store = store;
    s.entries.reserve(size_t(nodesInTree));
    const bool wholeStore = size_t(nodesInTree) == store->size();
    if (!wholeStore)
        s.positions.reserve(size_t(nodesInTree));
    if (!rowsFollowAddition)
        s.rows.reserve(size_t(nodesInTree));
    quint32 position = 0;
    store->forEach([&](const LibraryNode *n) {
        if (n->inTree()) {
            s.entries.push_back({asTaken ? asTaken(n->Image) : n->Image, !n->hasChildren()});
            if (!wholeStore)
                s.positions.push_back(position);
            if (!rowsFollowAddition)
                s.rows.push_back(quint32(n->Row));
        }
        ++position;
    });
    return s;
}

void LibraryTree::restore(const TreeNodeRecords &snapshot)
{
    BulkChange bulk(*this);
    if (snapshot.store && snapshot.store != store) {
        // The tree moved on (a rescan) since the snapshot: take its nodes
        // back. The tree's own may be freed now.
        rootNodes = NodeList();
        store = snapshot.store;
        ++generationCount;
        Q_EMIT cleared();
    }
    // Out first, whatever was in: the lists are rebuilt in the snapshot's order.
    store->forEach([](LibraryNode *n) {
        n->Index = 0;
        n->Children.clear(); // keeps its room: little to allocate below
    });
    rootNodes.clear();
    order.clear();
    orderValid = false;
    int placed = 0;
    const bool rowsKept = !snapshot.rows.empty();
    auto put = [&](LibraryNode *n, const TreeNodeRecords::Entry &e, std::size_t i) {
        LibraryNode *parent = nullptr;
        if (e.IsLeaf) {
            // A song goes back under its artist, which stands before it; a
            // song whose artist is not (or no longer) in the snapshot, or a
            // root that had no children, has no place.
            parent = n->Parent;
            if (!parent || !parent->inTree())
                return;
        }
        auto &siblings = parent ? parent->Children : rootNodes;
        // With rows kept, the row taken orders the siblings below.
        n->Row = rowsKept ? int(snapshot.rows[i]) : int(siblings.size());
        n->Index = ++placed;
        n->Image = e.Image;
        n->Bold = false;
        n->Checked = false;
        n->Tag = NodeTag();
        store->append(siblings, n);
    };
    if (snapshot.positions.empty()) {
        size_t i = 0;
        store->forEach([&](LibraryNode *n) {
            if (i < snapshot.entries.size())
                put(n, snapshot.entries[i], i);
            ++i;
        });
    } else {
        for (size_t i = 0; i < snapshot.entries.size(); ++i)
            put(snapshot.nodeAt(i), snapshot.entries[i], i);
    }
    rowsFollowAddition = !rowsKept;
    if (rowsKept) {
        // Songs that came while the tree was shown stand where they stood,
        // not after their siblings.
        auto byRow = [](const LibraryNode *a, const LibraryNode *b) { return a->Row < b->Row; };
        auto sortRows = [&](NodeList &siblings) {
            std::stable_sort(siblings.begin(), siblings.end(), byRow);
            renumberRows(siblings, 0);
        };
        sortRows(rootNodes);
        for (LibraryNode *root : rootNodes)
            sortRows(root->Children);
    }
    nodesInTree = placed;
    keysValid = false;
    ++generationCount;
}

void LibraryTree::dropMarked()
{
    if (orderValid) {
        size_t out = 0;
        for (LibraryNode *n : order) {
            if (n->Index > 0) {
                n->Index = int(out) + 1;
                order[out++] = n;
            }
        }
        order.resize(out);
        nodesInTree = int(out);
    } else {
        int position = 0;
        store->forEach([&position](LibraryNode *n) {
            if (n->Index > 0)
                n->Index = ++position;
        });
        nodesInTree = position;
    }
    keysValid = false;
}

void LibraryTree::renumberFrom(int position)
{
    for (size_t i = size_t(std::max(position, 1) - 1); i < order.size(); ++i)
        order[i]->Index = int(i) + 1;
}

void LibraryTree::setImage(LibraryNode *n, quint8 image)
{
    if (n->Image == image)
        return;
    n->Image = image;
    if (!inBulkChange())
        Q_EMIT nodeChanged(n);
}

void LibraryTree::setChecked(LibraryNode *n, bool checked)
{
    if (n->Checked == checked)
        return;
    n->Checked = checked;
    if (!inBulkChange())
        Q_EMIT nodeChanged(n);
}

void LibraryTree::setTag(LibraryNode *n, const QString &tag)
{
    n->Tag = NodeTag(tag);
}

void LibraryTree::beginBulkChange()
{
    if (bulkDepth++ == 0)
        Q_EMIT aboutToReset();
}

void LibraryTree::endBulkChange()
{
    if (--bulkDepth == 0)
        Q_EMIT resetDone();
}
