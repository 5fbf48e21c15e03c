#pragma once

// A node's text or key, and its tag, as the library tree keeps them: the
// text is a view of characters the tree holds in large blocks for as long
// as the node exists, so a hundred thousand names cost no allocation each.
// A name whose characters all lie in Latin-1 (nearly every name the
// downloader writes) is kept one byte a character, any other in UTF-16.
// Where text leaves the tree (a label, the selection, a file path), it is
// copied into a QString.

#include <QLatin1StringView>
#include <QString>
#include <QStringView>
#include <QVarLengthArray>
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
    constexpr NodeText(QStringView text) : chars(text.utf16()), length(quint32(text.size())), latin1(0) {}
    constexpr NodeText(QLatin1StringView text) : chars(text.data()), length(quint32(text.size())), latin1(1) {}

    bool isLatin1() const { return latin1 != 0; }
    bool isNull() const { return chars == nullptr; }
    qsizetype size() const { return qsizetype(length); }
    bool isEmpty() const { return length == 0; }
    // The text as the view of its kind: f(QLatin1StringView) or f(QStringView).
    template<typename Visit> decltype(auto) visit(Visit &&f) const
    {
        if (latin1)
            return f(QLatin1StringView(static_cast<const char *>(chars), size()));
        return f(QStringView(static_cast<const char16_t *>(chars), size()));
    }
    // Only for a text kept in 8 bits.
    QLatin1StringView latin1View() const { return QLatin1StringView(static_cast<const char *>(chars), size()); }
    char16_t at(qsizetype i) const
    {
        return latin1 ? char16_t(static_cast<const uchar *>(chars)[i]) : static_cast<const char16_t *>(chars)[i];
    }
    char16_t front() const { return at(0); }
    NodeText mid(qsizetype position, qsizetype n) const { return piece(position, n); }
    NodeText mid(qsizetype position) const { return piece(position, size() - position); }
    NodeText chopped(qsizetype n) const { return piece(0, size() - n); }
    // The text with the n characters kept right before it in front: a
    // song's key ahead of its file name.
    NodeText withCharactersBefore(qsizetype n) const { return piece(-n, size() + n); }
    bool startsWith(QStringView prefix) const
    {
        return prefix.size() <= size() && mid(0, prefix.size()) == prefix;
    }

    QString toString() const
    {
        return visit([](auto text) { return text.toString(); });
    }
    operator QString() const { return toString(); }

    friend bool operator==(const NodeText &a, const NodeText &b)
    {
        if (a.length != b.length)
            return false;
        if (a.latin1 == b.latin1)
            return a.length == 0 || std::memcmp(a.chars, b.chars, a.byteSize()) == 0;
        return a.visit([&b](auto x) { return b.visit([x](auto y) { return x == y; }); });
    }
    friend bool operator==(const NodeText &a, QStringView b) { return a == NodeText(b); }
    friend bool operator==(const NodeText &a, const QString &b) { return a == NodeText(QStringView(b)); }

private:
    std::size_t byteSize() const { return std::size_t(length) * (latin1 ? 1 : 2); }
    NodeText piece(qsizetype position, qsizetype n) const
    {
        NodeText p = *this;
        p.chars = static_cast<const char *>(chars) + position * (latin1 ? 1 : 2);
        p.length = quint32(n);
        return p;
    }

    const void *chars = nullptr;
    quint32 length : 31 = 0;
    quint32 latin1 : 1 = 0;
};

// Equal texts hash alike, whichever way each is kept.
size_t qHash(const NodeText &text, size_t seed = 0) noexcept;

// The text in UTF-16, for the few readers that need it (the order of a
// listing, a case conversion): the text itself, or its characters widened
// into a buffer of this object's own.
class NodeTextUtf16
{
public:
    explicit NodeTextUtf16(NodeText text);
    NodeTextUtf16(const NodeTextUtf16 &) = delete;
    NodeTextUtf16 &operator=(const NodeTextUtf16 &) = delete;
    QStringView view() const { return text; }

private:
    QVarLengthArray<char16_t, 128> widened;
    QStringView text;
};

// Whether every character of text fits in one byte of Latin-1.
bool fitsLatin1(QStringView text);
// Writes such a text at out, a byte a character.
void writeLatin1(QStringView text, char *out);

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
    quint16 id = 0;
};
