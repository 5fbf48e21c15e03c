#include "library/SearchFilter.h"

#include "library/LibraryTree.h"
#include "text/Folding.h"

#include <cstring>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

using namespace Qt::StringLiterals;

namespace {

// Whether text holds needle (not empty), both as code units: candidates for
// the needle's first character eight at a time, then the rest compared.
bool containsUnits(const char16_t *text, size_t n, const char16_t *needle, size_t m)
{
    if (n < m)
        return false;
    const size_t last = n - m; // the last place the needle can start
    const size_t tailBytes = (m - 1) * sizeof(char16_t);
    size_t i = 0;
#ifdef __SSE2__
    const __m128i first = _mm_set1_epi16(short(needle[0]));
    for (; i + 8 <= last + 1; i += 8) {
        unsigned hits = unsigned(_mm_movemask_epi8(
            _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(text + i)), first)));
        while (hits != 0) {
            const unsigned bit = unsigned(__builtin_ctz(hits));
            if (std::memcmp(text + i + bit / 2 + 1, needle + 1, tailBytes) == 0)
                return true;
            hits &= ~(3u << bit);
        }
    }
#endif
    for (; i <= last; ++i) {
        if (text[i] == needle[0] && std::memcmp(text + i + 1, needle + 1, tailBytes) == 0)
            return true;
    }
    return false;
}

// Whether text, folded, holds needle (folded already). Texts are folded
// here, at the search, into one buffer: the tree keeps no folded copy of its
// names, and folding is a table look-up per character.
class FoldedMatcher
{
public:
    explicit FoldedMatcher(const QString &text) : needle(foldForMatching(text)) {}

    bool matches(NodeText text)
    {
        if (needle.isEmpty())
            return true;
        // A character folds to at most kMostFoldedUnits: a text that short
        // cannot hold the needle, folded or not.
        if (text.size() * kMostFoldedUnits < needle.size())
            return false;
        const size_t room = size_t(text.size() * kMostFoldedUnits);
        if (room > buffer.size())
            buffer.resize(room);
        const qsizetype folded = text.visit([this](auto view) { return foldForMatching(view, buffer.data()); });
        return folded >= needle.size()
            && containsUnits(buffer.data(), size_t(folded), reinterpret_cast<const char16_t *>(needle.constData()),
                             size_t(needle.size()));
    }

private:
    const QString needle;
    std::vector<char16_t> buffer;
};

} // namespace

FilterCounts filterTree(LibraryTree &tree, const QString &text)
{
    FilterCounts counts;
    // Folded texts compared exactly: case, accents and strokes ignored,
    // and many times faster than comparing through the locale.
    FoldedMatcher matcher(text);
    bool artistMatches = false;
    bool songMatched = false;
    tree.prune(
        [&](LibraryNode *artist) {
            artistMatches = matcher.matches(artist->Text);
            songMatched = false;
            tree.setBold(artist, artistMatches);
        },
        [&](LibraryNode *song) {
            // Every song of a matching artist stays; the matching ones are bold.
            const bool matches = matcher.matches(song->Text);
            tree.setBold(song, matches);
            songMatched = songMatched || matches;
            const bool stays = matches || artistMatches;
            counts.Songs += stays;
            return stays;
        },
        [&](LibraryNode *) {
            const bool stays = artistMatches || songMatched;
            counts.Artists += stays;
            return stays;
        });
    return counts;
}

FilterCounts countTree(const LibraryTree &tree)
{
    FilterCounts counts;
    counts.Artists = int(tree.roots().size());
    for (const LibraryNode *artist : tree.roots())
        counts.Songs += int(artist->Children.size());
    return counts;
}

QString searchResultsCaption(const FilterCounts &counts)
{
    return u'{' + QString::number(counts.Artists)
        + (counts.Artists <= 1 ? u" artist} {"_s : u" artists} {"_s) + QString::number(counts.Songs)
        + (counts.Songs <= 1 ? u" song}"_s : u" songs}"_s);
}

bool searchNeedsRestore(const QString &previous, const QString &current)
{
    // What holds the folded current text holds the folded previous one.
    return !foldForMatching(current).contains(foldForMatching(previous));
}
