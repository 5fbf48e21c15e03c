#include "library/LibraryTree.h"

#include <algorithm>

namespace {

template<typename Out> void foldInto(QStringView text, Out out)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            const char32_t f = QChar::toCaseFolded(QChar::surrogateToUcs4(c, text[i + 1]));
            out(QChar::highSurrogate(f));
            out(QChar::lowSurrogate(f));
            ++i;
        } else {
            out(c.toCaseFolded().unicode());
        }
    }
}

} // namespace

void LibraryTree::appendFolded(QStringView text)
{
    foldInto(text, [this](char16_t c) { searchText.push_back(c); });
}

QString foldForSearch(QStringView text)
{
    QString folded;
    folded.reserve(text.size());
    foldInto(text, [&folded](char16_t c) { folded.append(QChar(c)); });
    return folded;
}

LibraryTree::LibraryTree(QObject *parent) : QObject(parent) {}

LibraryTree::~LibraryTree() = default;

LibraryNode *LibraryTree::node(int index) const
{
    if (index < 1 || index > count())
        return nullptr;
    return order[size_t(index - 1)];
}

const QHash<QString, LibraryNode *> &LibraryTree::keyIndex() const
{
    if (!keysValid) {
        byKey.clear();
        byKey.reserve(qsizetype(order.size()));
        for (LibraryNode *n : order)
            byKey.insert(n->Key, n);
        keysValid = true;
    }
    return byKey;
}

LibraryNode *LibraryTree::find(const QString &key) const
{
    return keyIndex().value(key, nullptr);
}

LibraryNode *LibraryTree::allocate()
{
    if (usedInLastBlock == BlockSize) {
        blocks.push_back(std::make_unique<LibraryNode[]>(BlockSize));
        usedInLastBlock = 0;
    }
    return &blocks.back()[usedInLastBlock++];
}

LibraryNode *LibraryTree::appendNew(LibraryNode *parent, const QString &key, const QString &text,
                                    quint8 image, int childCapacity)
{
    auto &siblings = parent ? parent->Children : rootNodes;
    const int row = int(siblings.size());
    if (!inBulkChange())
        Q_EMIT nodeAboutToBeAdded(parent, row);

    LibraryNode *n = allocate();
    n->Text = text;
    n->Key = key;
    n->FoldedAt = quint32(searchText.size());
    n->FoldedLength = quint32(text.size());
    appendFolded(text);
    n->Image = image;
    n->Parent = parent;
    n->Row = row;
    n->Index = count() + 1;
    if (childCapacity > 0)
        n->Children.reserve(size_t(childCapacity));
    order.push_back(n);
    siblings.push_back(n);
    keysValid = false; // the callers that keep the index up to date say so

    if (!inBulkChange())
        Q_EMIT nodeAdded();
    return n;
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

    auto &siblings = n->Parent ? n->Parent->Children : rootNodes;
    siblings.erase(siblings.begin() + n->Row);
    for (size_t r = size_t(n->Row); r < siblings.size(); ++r)
        siblings[r]->Row = int(r);

    const int first = n->Index;
    for (LibraryNode *child : n->Children)
        child->Index = 0;
    n->Index = 0;
    order.erase(std::remove_if(order.begin() + (first - 1), order.end(),
                               [](const LibraryNode *x) { return !x->inTree(); }),
                order.end());
    for (LibraryNode *child : n->Children)
        takeOut(child);
    takeOut(n);
    renumberFrom(first);
    keysValid = false;

    if (!inBulkChange())
        Q_EMIT nodeRemoved();
}

void LibraryTree::clear()
{
    BulkChange bulk(*this);
    rootNodes.clear();
    order.clear();
    byKey.clear();
    keysValid = true;
    blocks.clear();
    usedInLastBlock = BlockSize;
    searchText.clear();
    ++clears;
    Q_EMIT cleared();
}

void LibraryTree::relink(const std::vector<Relink> &nodes)
{
    BulkChange bulk(*this);
    // Out first, whatever was in: the lists are rebuilt from the given order.
    for (LibraryNode *n : order)
        n->Index = 0;
    order.clear();
    rootNodes.clear();
    for (const Relink &r : nodes) {
        r.Node->Children.clear(); // keeps its room: no allocation below
        r.Node->Index = 0;
    }
    order.reserve(nodes.size());
    for (const Relink &r : nodes) {
        LibraryNode *n = r.Node;
        auto &siblings = r.Parent ? r.Parent->Children : rootNodes;
        n->Parent = r.Parent;
        n->Row = int(siblings.size());
        n->Index = int(order.size()) + 1;
        n->Image = r.Image;
        n->Bold = false;
        n->Checked = false;
        n->Tag.clear();
        siblings.push_back(n);
        order.push_back(n);
    }
    keysValid = false;
}

void LibraryTree::dropMarked()
{
    size_t out = 0;
    for (LibraryNode *n : order) {
        if (n->Index > 0) {
            n->Index = int(out) + 1;
            order[out++] = n;
        }
    }
    order.resize(out);
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
