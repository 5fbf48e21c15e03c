#include "library/TextArena.h"

#include "library/LargeBlocks.h"

#include <algorithm>
#include <type_traits>
#include <utility>

namespace {
// The first block holds a small library's names; later ones double.
constexpr std::size_t FirstBlockBytes = 16 * 1024;
} // namespace

TextArena::~TextArena()
{
    release();
}

TextArena::TextArena(TextArena &&other) noexcept : use(other.use), blocks(std::exchange(other.blocks, {})) {}

TextArena &TextArena::operator=(TextArena &&other) noexcept
{
    if (this != &other) {
        release();
        use = other.use;
        blocks = std::exchange(other.blocks, {});
    }
    return *this;
}

void TextArena::release()
{
    for (const Block &b : blocks)
        LargeBlocks::release(b.bytes, b.capacity);
    blocks.clear();
}

char *TextArena::reserveBytes(std::size_t wanted, std::size_t align)
{
    const auto startIn = [align](const Block &b) { return (b.used + align - 1) / align * align; };
    if (blocks.empty() || blocks.back().capacity < startIn(blocks.back()) + wanted) {
        const std::size_t previous = blocks.empty() ? 0 : blocks.back().capacity;
        std::size_t bytes = use == Use::Scratch ? LargeBlocks::nextScratchSize(previous, FirstBlockBytes)
                                                : LargeBlocks::nextSize(previous, FirstBlockBytes);
        // A text longer than a whole block gets a block to itself.
        while (bytes < wanted)
            bytes += use == Use::Scratch ? LargeBlocks::ScratchMost : LargeBlocks::HugePage;
        Block b;
        b.bytes = static_cast<char *>(LargeBlocks::allocate(bytes));
        b.capacity = bytes;
        blocks.push_back(b);
    }
    return blocks.back().bytes + startIn(blocks.back());
}

char16_t *TextArena::reserve(qsizetype n)
{
    const std::size_t wanted = std::size_t(std::max<qsizetype>(n, 0));
    return reinterpret_cast<char16_t *>(reserveBytes(wanted * sizeof(char16_t), alignof(char16_t)));
}

char *TextArena::reserveLatin1(qsizetype n)
{
    return reserveBytes(std::size_t(std::max<qsizetype>(n, 0)), 1);
}

QStringView TextArena::commit(const char16_t *start, qsizetype used)
{
    Block &b = blocks.back();
    b.used = std::size_t(reinterpret_cast<const char *>(start + used) - b.bytes);
    return QStringView(start, used);
}

QLatin1StringView TextArena::commit(const char *start, qsizetype used)
{
    Block &b = blocks.back();
    b.used = std::size_t(start + used - b.bytes);
    return QLatin1StringView(start, used);
}

NodeText TextArena::keep(QStringView text)
{
    if (text.isEmpty())
        return QStringView(u"", 0);
    if (fitsLatin1(text)) {
        char *room = reserveLatin1(text.size());
        writeLatin1(text, room);
        return commit(room, text.size());
    }
    char16_t *room = reserve(text.size());
    std::copy_n(text.utf16(), text.size(), room);
    return commit(room, text.size());
}

NodeText TextArena::keep(NodeText text)
{
    return text.visit([this](auto view) -> NodeText {
        if constexpr (std::is_same_v<decltype(view), QLatin1StringView>) {
            char *room = reserveLatin1(view.size());
            std::copy_n(view.data(), view.size(), room);
            return commit(room, view.size());
        } else {
            return keep(view);
        }
    });
}

void TextArena::reset()
{
    if (blocks.empty())
        return;
    const auto largest = std::max_element(blocks.begin(), blocks.end(),
                                          [](const Block &a, const Block &b) { return a.capacity < b.capacity; });
    Block kept = *largest;
    kept.used = 0;
    for (const Block &b : blocks) {
        if (b.bytes != kept.bytes)
            LargeBlocks::release(b.bytes, b.capacity);
    }
    blocks.assign(1, kept);
}

void TextArena::releaseUnused()
{
    if (!blocks.empty()) {
        const Block &b = blocks.back();
        LargeBlocks::releaseUnused(b.bytes, b.used, b.capacity);
    }
}

void *TextArena::allocate(std::size_t bytes)
{
    char *room = reserveBytes(bytes, 8);
    blocks.back().used = std::size_t(room + bytes - blocks.back().bytes);
    return room;
}
