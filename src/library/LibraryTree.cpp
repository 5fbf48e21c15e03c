#include "library/LibraryTree.h"

#include <algorithm>

LibraryTree::LibraryTree(QObject *parent) : QObject(parent), store(std::make_shared<NodeStore>()) {}

LibraryTree::~LibraryTree() = default;

namespace {

// Every node of the tree in its order: each root, then its children.
template<typename Visit> void forEachInOrder(const NodeList &roots, Visit visit)
{
    for (LibraryNode *root : roots) {
        visit(root);
        for (LibraryNode *child : root->Children)
            visit(child);
    }
}

const LibraryNode *lastInSubtree(const LibraryNode *n)
{
    while (n->hasChildren())
        n = n->Children.back();
    return n;
}

} // namespace

void LibraryTree::ensureOrder() const
{
    if (orderValid)
        return;
    order.clear();
    order.reserve(size_t(nodesInTree));
    forEachInOrder(rootNodes, [this](LibraryNode *n) { order.push_back(n); });
    orderValid = true;
}

LibraryNode *LibraryTree::node(int index) const
{
    if (index < 1 || index > count())
        return nullptr;
    if (storeInOrder)
        return store->at(size_t(index - 1));
    ensureOrder();
    return order[size_t(index - 1)];
}

const QHash<NodeText, LibraryNode *> &LibraryTree::keyIndex() const
{
    if (!keysValid) {
        byKey.clear();
        byKey.reserve(qsizetype(nodesInTree));
        store->forEach([this](LibraryNode *n) {
            if (n->inTree())
                byKey.insert(n->Key, n);
        });
        keysValid = true;
    }
    return byKey;
}

LibraryNode *LibraryTree::find(NodeText key) const
{
    return keyIndex().value(key, nullptr);
}

LibraryNode *LibraryTree::find(QStringView key) const
{
    return find(NodeText(key));
}

LibraryNode *LibraryTree::find(const QString &key) const
{
    return find(QStringView(key));
}

LibraryNode *LibraryTree::appendNew(LibraryNode *parent, const QString &key, const QString &text,
                                    quint8 image, int childCapacity)
{
    const NodeText keptKey = store->texts.keep(QStringView(key));
    const NodeText keptText = store->texts.keep(QStringView(text));
    LibraryNode *n = appendKept(parent, keptKey, keptText, image);
    if (childCapacity > 0)
        store->reserve(n->Children, size_t(childCapacity));
    return n;
}

LibraryNode *LibraryTree::appendKept(LibraryNode *parent, NodeText key, NodeText text, quint8 image)
{
    const auto &siblings = parent ? parent->Children : rootNodes;
    return add(parent, int(siblings.size()), key, text, image);
}

LibraryNode *LibraryTree::insertKept(LibraryNode *parent, int row, NodeText key, NodeText text, quint8 image)
{
    const auto &siblings = parent ? parent->Children : rootNodes;
    return add(parent, std::clamp(row, 0, int(siblings.size())), key, text, image);
}

int LibraryTree::positionFor(const LibraryNode *parent, int row) const
{
    if (!parent)
        return size_t(row) < rootNodes.size() ? rootNodes[size_t(row)]->Index : nodesInTree + 1;
    return (row == 0 ? parent : lastInSubtree(parent->Children[size_t(row) - 1]))->Index + 1;
}

LibraryNode *LibraryTree::add(LibraryNode *parent, int row, NodeText key, NodeText text, quint8 image)
{
    auto &siblings = parent ? parent->Children : rootNodes;
    if (!inBulkChange())
        Q_EMIT nodeAboutToBeAdded(parent, row);

    // The node's place in the collection, while the positions are right.
    const int position = numbersStale ? 0 : positionFor(parent, row);
    const bool last = position == nodesInTree + 1;
    const bool shiftNow = !last && !numbersStale && !deferringNumbers();
    if (shiftNow)
        ensureOrder(); // without the new node

    LibraryNode *n = store->make();
    n->Text = text;
    n->Key = key;
    n->Image = image;
    n->Parent = parent;
    n->Row = row;
    ++nodesInTree;
    if (size_t(row) == siblings.size()) {
        store->append(siblings, n);
    } else {
        store->insert(siblings, size_t(row), n);
        renumberRows(siblings, size_t(row) + 1);
    }
    if (last) {
        // Last in the tree's order and last made: the store's order holds.
        n->Index = nodesInTree;
        if (orderValid)
            order.push_back(n);
    } else {
        storeInOrder = false;
        if (shiftNow) {
            order.insert(order.begin() + (position - 1), n);
            renumberFrom(position);
        } else {
            // Numbered with the others when the insertions are done; in
            // the tree meanwhile.
            n->Index = nodesInTree;
            numbersStale = true;
            orderValid = false;
        }
    }
    // A look-up table made already takes the node in; none is made for it.
    if (keysValid && !byKey.isEmpty())
        byKey.insert(n->Key, n);
    else
        keysValid = false;

    if (!inBulkChange())
        Q_EMIT nodeAdded();
    return n;
}

void LibraryTree::endChanges()
{
    if (--changesDepth == 0 && !inBulkChange() && numbersStale)
        number();
}

void LibraryTree::number()
{
    int position = 0;
    forEachInOrder(rootNodes, [&position](LibraryNode *n) { n->Index = ++position; });
    nodesInTree = position;
    orderValid = false;
    numbersStale = false;
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
    const bool deferred = deferringNumbers();
    if (numbersStale && !deferred)
        number();
    if (!n || !n->inTree() || (!deferred && node(n->Index) != n))
        return;
    if (!inBulkChange())
        Q_EMIT nodeAboutToBeRemoved(n);

    if (!deferred)
        ensureOrder(); // with the node still in
    storeInOrder = false;
    auto &siblings = n->Parent ? n->Parent->Children : rootNodes;
    siblings.erase(siblings.begin() + n->Row);
    renumberRows(siblings, size_t(n->Row));

    const int first = n->Index;
    const int taken = 1 + int(n->Children.size());
    for (LibraryNode *child : n->Children)
        child->Index = 0;
    n->Index = 0;
    if (deferred) {
        // The others are numbered again once the changes are done.
        numbersStale = true;
        orderValid = false;
    } else {
        order.erase(std::remove_if(order.begin() + (first - 1), order.end(),
                                   [](const LibraryNode *x) { return !x->inTree(); }),
                    order.end());
        renumberFrom(first);
    }
    nodesInTree -= taken;
    if (keysValid) {
        for (LibraryNode *child : n->Children)
            byKey.remove(child->Key);
        byKey.remove(n->Key);
    }
    for (LibraryNode *child : n->Children)
        takeOut(child);
    takeOut(n);

    if (!inBulkChange())
        Q_EMIT nodeRemoved();
}

void LibraryTree::clear()
{
    BulkChange bulk(*this);
    rootNodes = NodeList();
    order.clear();
    orderValid = false;
    storeInOrder = true;
    numbersStale = false;
    nodesInTree = 0;
    byKey.clear();
    keysValid = true;
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
    std::swap(storeInOrder, other.storeInOrder);
    std::swap(numbersStale, other.numbersStale);
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
    auto take = [&](const LibraryNode *n) {
        s.entries.push_back({asTaken ? asTaken(n->Image) : n->Image, !n->hasChildren()});
    };
    if (storeInOrder) {
        store->forEach(take);
        return s;
    }
    // In the tree's order, each node found in the store by where it stands.
    ensureOrder();
    s.positions.reserve(size_t(nodesInTree));
    for (const LibraryNode *n : order) {
        take(n);
        s.positions.push_back(quint32(store->positionOf(n)));
    }
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
    // The snapshot lists the nodes in the tree's order: each goes after
    // its siblings.
    for (size_t i = 0; i < snapshot.entries.size(); ++i) {
        LibraryNode *n = snapshot.nodeAt(i);
        const TreeNodeRecords::Entry &e = snapshot.entries[i];
        LibraryNode *parent = nullptr;
        if (e.IsLeaf) {
            // A song goes back under its artist, which stands before it; a
            // song whose artist is not (or no longer) in the snapshot, or a
            // root that had no children, has no place.
            parent = n->Parent;
            if (!parent || !parent->inTree())
                continue;
        }
        auto &siblings = parent ? parent->Children : rootNodes;
        n->Row = int(siblings.size());
        n->Index = ++placed;
        n->Image = e.Image;
        n->Bold = false;
        n->Checked = false;
        n->Tag = NodeTag();
        store->append(siblings, n);
    }
    nodesInTree = placed;
    storeInOrder = snapshot.positions.empty() && size_t(placed) == store->size();
    numbersStale = false;
    keysValid = false;
    ++generationCount;
}

void LibraryTree::dropMarked()
{
    number();
    storeInOrder = storeInOrder && size_t(nodesInTree) == store->size();
    keysValid = false;
}

void LibraryTree::renumberFrom(int position)
{
    for (size_t i = size_t(std::max(position, 1) - 1); i < order.size(); ++i)
        order[i]->Index = int(i) + 1;
}

QString LibraryTree::checkInvariants() const
{
    using namespace Qt::StringLiterals;
    if (numbersStale)
        return u"positions read while insertions wait to be numbered"_s;
    int position = 0;
    QString problem;
    auto check = [&](const LibraryNode *n, const LibraryNode *parent, std::size_t row) {
        ++position;
        const QString name = n->Key.toString();
        if (n->Parent != parent)
            problem = name + u" has another parent than the node it hangs under"_s;
        else if (n->Row != int(row))
            problem = u"%1 stands at row %2 but says %3"_s.arg(name).arg(row).arg(n->Row);
        else if (n->Index != position)
            problem = u"%1 stands at position %2 but is numbered %3"_s.arg(name).arg(position).arg(n->Index);
        else if (node(position) != n)
            problem = u"node(%1) is not %2"_s.arg(position).arg(name);
        else if (find(n->Key) != n)
            problem = name + u" is not found by its key"_s;
        else if (parent ? n->hasChildren() : !n->hasChildren())
            problem = name + (parent ? u" is a song with songs"_s : u" is an artist without songs"_s);
        return problem.isEmpty();
    };
    for (std::size_t r = 0; r < rootNodes.size(); ++r) {
        const LibraryNode *root = rootNodes[r];
        if (!check(root, nullptr, r))
            return problem;
        for (std::size_t c = 0; c < root->Children.size(); ++c) {
            if (!check(root->Children[c], root, c))
                return problem;
        }
    }
    if (position != nodesInTree)
        return u"the collection counts %1 nodes, the tree holds %2"_s.arg(nodesInTree).arg(position);
    return {};
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
    if (--bulkDepth == 0) {
        if (numbersStale && changesDepth == 0)
            number();
        Q_EMIT resetDone();
    }
}
