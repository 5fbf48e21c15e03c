#include "library/SearchFilter.h"

#include "library/LibraryTree.h"

#include <string_view>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Whether text, case-folded, holds needle (folded already). Texts are
// folded here, at the search, into one buffer: the tree keeps no folded copy
// of its names, and folding is a table look-up per character.
class FoldedMatcher
{
public:
    explicit FoldedMatcher(const QString &text) : needle(foldForSearch(text)) {}

    bool matches(QStringView text)
    {
        if (text.size() < needle.size())
            return false;
        if (size_t(text.size()) > buffer.size())
            buffer.resize(size_t(text.size()));
        foldForSearch(text, buffer.data());
        const std::u16string_view folded(buffer.data(), size_t(text.size()));
        const std::u16string_view wanted(reinterpret_cast<const char16_t *>(needle.constData()),
                                         size_t(needle.size()));
        return folded.find(wanted) != std::u16string_view::npos;
    }

private:
    const QString needle;
    std::vector<char16_t> buffer;
};

} // namespace

FilterCounts filterTree(LibraryTree &tree, const QString &text)
{
    FilterCounts counts;
    // Folded texts compared exactly: the same as comparing ignoring case,
    // and many times faster on a large library.
    FoldedMatcher matcher(text);
    bool artistMatches = false;
    bool songMatched = false;
    tree.prune(
        [&](LibraryNode *artist) {
            artistMatches = matcher.matches(artist->Text.view());
            songMatched = false;
            tree.setBold(artist, artistMatches);
        },
        [&](LibraryNode *song) {
            // Every song of a matching artist stays; the matching ones are bold.
            const bool matches = matcher.matches(song->Text.view());
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
