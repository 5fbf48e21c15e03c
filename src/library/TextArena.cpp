#include "library/TextArena.h"

#include "library/LargeBlocks.h"

#include <algorithm>
#include <cstdint>
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
        LargeBlocks::release(b.chars, b.capacity * sizeof(char16_t));
    blocks.clear();
}

char16_t *TextArena::reserve(qsizetype n)
{
    const std::size_t wanted = std::size_t(std::max<qsizetype>(n, 0));
    if (blocks.empty() || blocks.back().capacity - blocks.back().used < wanted) {
        const std::size_t previous = blocks.empty() ? 0 : blocks.back().capacity * sizeof(char16_t);
        std::size_t bytes = use == Use::Scratch ? LargeBlocks::nextScratchSize(previous, FirstBlockBytes)
                                                : LargeBlocks::nextSize(previous, FirstBlockBytes);
        // A text longer than a whole block gets a block to itself.
        while (bytes < wanted * sizeof(char16_t))
            bytes += use == Use::Scratch ? LargeBlocks::ScratchMost : LargeBlocks::HugePage;
        Block b;
        b.chars = static_cast<char16_t *>(LargeBlocks::allocate(bytes));
        b.capacity = bytes / sizeof(char16_t);
        blocks.push_back(b);
    }
    return blocks.back().chars + blocks.back().used;
}

QStringView TextArena::commit(const char16_t *start, qsizetype used)
{
    Block &b = blocks.back();
    b.used = std::size_t(start - b.chars) + std::size_t(used);
    return QStringView(start, used);
}

QStringView TextArena::keep(QStringView text)
{
    if (text.isEmpty())
        return QStringView(u"", 0);
    char16_t *room = reserve(text.size());
    std::copy_n(text.utf16(), text.size(), room);
    return commit(room, text.size());
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
        if (b.chars != kept.chars)
            LargeBlocks::release(b.chars, b.capacity * sizeof(char16_t));
    }
    blocks.assign(1, kept);
}

void TextArena::releaseUnused()
{
    if (!blocks.empty()) {
        const Block &b = blocks.back();
        LargeBlocks::releaseUnused(b.chars, b.used * sizeof(char16_t), b.capacity * sizeof(char16_t));
    }
}

void *TextArena::allocate(std::size_t bytes)
{
    // In characters, with room to move the start to a multiple of 8 bytes.
    const qsizetype chars = qsizetype((bytes + 1) / 2);
    char16_t *room = reserve(chars + 3);
    while (reinterpret_cast<std::uintptr_t>(room) % 8 != 0)
        ++room;
    commit(room, chars);
    return room;
}
