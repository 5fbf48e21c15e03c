#pragma once

// Narrowing the library tree to the artists and songs whose names contain a
// search text, folded as every search of the program folds text
// (text/Folding.h: case, accents, strokes and ligatures ignored).

#include <QString>

class LibraryTree;

struct FilterCounts
{
    int Artists = 0;
    int Songs = 0;
};

// One pass over the tree as it stands: an artist whose name matches stays
// with all its songs, the matching ones bold; any other artist stays, not
// bold, with only its matching songs, bold, or goes when none match. One
// compaction, reaching the view as one reset. text must not be empty.
FilterCounts filterTree(LibraryTree &tree, const QString &text);

// What the tree shows now, counted as a filter pass counts it.
FilterCounts countTree(const LibraryTree &tree);

// "{1 artist} {3 songs}": the singular for 0 and 1.
QString searchResultsCaption(const FilterCounts &counts);

// The tree has to be rebuilt from the snapshot before filtering for current
// unless current only adds to the text the tree was last filtered by.
bool searchNeedsRestore(const QString &previous, const QString &current);
