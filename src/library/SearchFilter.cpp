#include "library/SearchFilter.h"

#include "library/LibraryTree.h"

#include <string_view>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// A plain search for a folded needle in a folded text: QString::contains
// costs more in its call than in its search on names this short.
bool containsFolded(std::u16string_view text, std::u16string_view needle)
{
    return text.find(needle) != std::u16string_view::npos;
}

} // namespace

FilterCounts filterTree(LibraryTree &tree, const QString &text)
{
    FilterCounts counts;
    // Folded texts compared exactly: the same as comparing ignoring case,
    // and many times faster on a large library.
    const QString folded = foldForSearch(text);
    const std::u16string_view needle(reinterpret_cast<const char16_t *>(folded.constData()),
                                     size_t(folded.size()));
    bool artistMatches = false;
    bool songMatched = false;
    tree.prune(
        [&](LibraryNode *artist) {
            artistMatches = containsFolded(tree.folded(artist), needle);
            songMatched = false;
            tree.setBold(artist, artistMatches);
        },
        [&](LibraryNode *song) {
            // Every song of a matching artist stays; the matching ones are bold.
            const bool matches = containsFolded(tree.folded(song), needle);
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
    return !current.contains(previous, Qt::CaseInsensitive);
}
