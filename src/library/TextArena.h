#pragma once

// Characters kept in large blocks for as long as the arena lives: a view of
// text kept here stays valid, nothing is ever moved, and a name costs no
// allocation of its own. The library tree keeps its names here.

#include "library/NodeText.h"

#include <QStringView>

#include <cstddef>
#include <vector>

class TextArena
{
public:
    // Lasting: the tree's names, in 2 MB blocks once there are many.
    // Scratch: names kept for a while (one folder's listing), in blocks that
    // cost only the pages they use.
    enum class Use { Lasting, Scratch };

    explicit TextArena(Use kind = Use::Lasting) : use(kind) {}
    ~TextArena();
    TextArena(const TextArena &) = delete;
    TextArena &operator=(const TextArena &) = delete;
    TextArena(TextArena &&other) noexcept;
    TextArena &operator=(TextArena &&other) noexcept;

    // Room for up to n characters in one piece, in UTF-16 or in Latin-1.
    // Nothing is kept until commit(); the next reserve may hand out the same
    // room again.
    char16_t *reserve(qsizetype n);
    char *reserveLatin1(qsizetype n);
    // Keeps the first used characters written at start, the room the last
    // reserve gave.
    QStringView commit(const char16_t *start, qsizetype used);
    QLatin1StringView commit(const char *start, qsizetype used);
    // A copy of text, in 8 bits when all its characters fit.
    NodeText keep(QStringView text);
    NodeText keep(NodeText text);
    // Room for bytes of other data, aligned to 8, from the same blocks: one
    // arena has one partly used block at its end, two would have two.
    void *allocate(std::size_t bytes);
    // Forgets every text kept (their views are no longer valid), keeping
    // the largest block for what comes next.
    void reset();
    // Gives back the unused end of the last block (see
    // LargeBlocks::releaseUnused); what is kept stays.
    void releaseUnused();

private:
    struct Block
    {
        char *bytes = nullptr;
        std::size_t capacity = 0; // bytes
        std::size_t used = 0;
    };
    void release();
    // Room for n bytes at a multiple of align.
    char *reserveBytes(std::size_t n, std::size_t align);

    Use use;
    std::vector<Block> blocks;
};
