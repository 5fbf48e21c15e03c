#pragma once

// A node's text or key, and its tag, as the library tree keeps them: the
// text is a view of characters the tree holds in large blocks for as long
// as the node exists, so a hundred thousand names cost no allocation each.
// Where text leaves the tree (a label, the selection, a file path), it is
// copied into a QString.

#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <cstring>

// Twelve bytes, not sixteen: two of them in each of a hundred thousand
// nodes. Reading an unaligned pointer costs nothing on the processors this
// runs on.
class __attribute__((packed, aligned(4))) NodeText
{
public:
    constexpr NodeText() = default;
    // text must outlive the node: characters the tree keeps, or a literal.
    constexpr NodeText(QStringView text) : chars(text.utf16()), length(quint32(text.size())) {}

    QStringView view() const { return QStringView(chars, qsizetype(length)); }
    QString toString() const { return view().toString(); }
    operator QString() const { return toString(); }
    qsizetype size() const { return qsizetype(length); }
    bool isEmpty() const { return length == 0; }

    friend bool operator==(const NodeText &a, const NodeText &b) { return a.view() == b.view(); }
    friend bool operator==(const NodeText &a, const QString &b) { return a.view() == QStringView(b); }
    friend bool operator==(const NodeText &a, QStringView b) { return a.view() == b; }

private:
    const char16_t *chars = nullptr;
    quint32 length = 0;
};

// For Qt Test's messages when a comparison of node texts fails.
inline char *toString(const NodeText &text)
{
    const QByteArray utf8 = text.toString().toUtf8();
    char *out = new char[size_t(utf8.size()) + 1];
    std::memcpy(out, utf8.constData(), size_t(utf8.size()) + 1);
    return out;
}

// A node's tag: empty, or one of the few texts the program tags nodes with
// (kept once, shared by every node that carries it).
class NodeTag
{
public:
    NodeTag() = default;
    explicit NodeTag(const QString &text);

    bool isEmpty() const { return id == 0; }
    QString toString() const;
    operator QString() const { return toString(); }

    friend bool operator==(const NodeTag &a, const NodeTag &b) { return a.id == b.id; }
    friend bool operator==(const NodeTag &a, const QString &b) { return a.toString() == b; }

private:
    quint32 id = 0;
};
