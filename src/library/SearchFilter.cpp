#include "library/SearchFilter.h"

#include "library/LibraryTree.h"

#include <vector>

using namespace Qt::StringLiterals;

FilterCounts filterTree(LibraryTree &tree, const QString &text)
{
    FilterCounts counts;
    BulkChange bulk(tree);
    std::vector<bool> keep(size_t(tree.count()), false);
    for (LibraryNode *artist : tree.roots()) {
        const bool artistMatches = artist->Text.contains(text, Qt::CaseInsensitive);
        tree.setBold(artist, artistMatches);
        bool songMatched = false;
        for (LibraryNode *song : artist->Children) {
            const bool matches = song->Text.contains(text, Qt::CaseInsensitive);
            tree.setBold(song, matches);
            if (matches || artistMatches) {
                keep[size_t(song->Index - 1)] = true;
                ++counts.Songs;
                songMatched = songMatched || matches;
            }
        }
        if (artistMatches || songMatched) {
            keep[size_t(artist->Index - 1)] = true;
            ++counts.Artists;
        }
    }
    tree.compact(keep);
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
