#include "library/LibraryTree.h"

#include <algorithm>

LibraryTree::LibraryTree(QObject *parent) : QObject(parent) {}

LibraryTree::~LibraryTree() = default;

LibraryNode *LibraryTree::node(int index) const
{
    if (index < 1 || index > count())
        return nullptr;
    return nodes[size_t(index - 1)].get();
}

LibraryNode *LibraryTree::find(const QString &key) const
{
    return byKey.value(key, nullptr);
}

LibraryNode *LibraryTree::addRoot(const QString &key, const QString &text, quint8 image)
{
    if (LibraryNode *existing = find(key))
        return existing;
    return append(nullptr, key, text, image);
}

LibraryNode *LibraryTree::addChild(LibraryNode *parent, const QString &key,
                                   const QString &text, quint8 image)
{
    if (!parent || byKey.contains(key))
        return nullptr;
    return append(parent, key, text, image);
}

LibraryNode *LibraryTree::append(LibraryNode *parent, const QString &key, const QString &text,
                                 quint8 image)
{
    auto &siblings = parent ? parent->Children : rootNodes;
    const int row = int(siblings.size());
    if (!inBulkChange())
        Q_EMIT nodeAboutToBeAdded(parent, row);

    auto owned = std::make_unique<LibraryNode>();
    LibraryNode *n = owned.get();
    n->Text = text;
    n->Key = key;
    n->Image = image;
    n->Parent = parent;
    n->Row = row;
    n->Index = count() + 1;
    nodes.push_back(std::move(owned));
    siblings.push_back(n);
    byKey.insert(key, n);

    if (!inBulkChange())
        Q_EMIT nodeAdded();
    return n;
}

void LibraryTree::remove(LibraryNode *n)
{
    if (!n || node(n->Index) != n)
        return;
    if (!inBulkChange())
        Q_EMIT nodeAboutToBeRemoved(n);

    auto &siblings = n->Parent ? n->Parent->Children : rootNodes;
    siblings.erase(siblings.begin() + n->Row);
    for (size_t r = size_t(n->Row); r < siblings.size(); ++r)
        siblings[r]->Row = int(r);

    std::vector<bool> keep(nodes.size(), true);
    keep[size_t(n->Index - 1)] = false;
    for (LibraryNode *child : n->Children)
        keep[size_t(child->Index - 1)] = false;
    const int first = n->Index;

    size_t out = 0;
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (keep[i]) {
            if (out != i)
                nodes[out] = std::move(nodes[i]);
            ++out;
        } else {
            byKey.remove(nodes[i]->Key);
            nodes[i].reset();
        }
    }
    nodes.resize(out);
    renumberFrom(first);

    if (!inBulkChange())
        Q_EMIT nodeRemoved();
}

void LibraryTree::clear()
{
    BulkChange bulk(*this);
    rootNodes.clear();
    byKey.clear();
    nodes.clear();
}

void LibraryTree::compact(const std::vector<bool> &keep)
{
    BulkChange bulk(*this);
    std::vector<std::unique_ptr<LibraryNode>> kept;
    kept.reserve(nodes.size());
    // Parents come before their children only by convention; drop the
    // children of dropped parents in a second look at the flags.
    for (size_t i = 0; i < nodes.size(); ++i) {
        LibraryNode *n = nodes[i].get();
        bool stays = i < keep.size() && keep[i];
        if (stays && n->Parent)
            stays = size_t(n->Parent->Index - 1) < keep.size() && keep[size_t(n->Parent->Index - 1)];
        if (stays)
            kept.push_back(std::move(nodes[i]));
        else
            byKey.remove(n->Key);
    }
    // Dropped nodes are freed only after every survivor has been looked at.
    nodes.swap(kept);
    kept.clear();

    rootNodes.clear();
    for (size_t i = 0; i < nodes.size(); ++i) {
        LibraryNode *n = nodes[i].get();
        n->Index = int(i) + 1;
        n->Children.clear();
    }
    for (auto &owned : nodes) {
        LibraryNode *n = owned.get();
        auto &siblings = n->Parent ? n->Parent->Children : rootNodes;
        n->Row = int(siblings.size());
        siblings.push_back(n);
    }
}

void LibraryTree::renumberFrom(int position)
{
    for (size_t i = size_t(std::max(position, 1) - 1); i < nodes.size(); ++i)
        nodes[i]->Index = int(i) + 1;
}

void LibraryTree::setImage(LibraryNode *n, quint8 image)
{
    if (n->Image == image)
        return;
    n->Image = image;
    if (!inBulkChange())
        Q_EMIT nodeChanged(n);
}

void LibraryTree::setBold(LibraryNode *n, bool bold)
{
    if (n->Bold == bold)
        return;
    n->Bold = bold;
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
    n->Tag = tag;
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
