#pragma once

// What must hold of the library the window holds after every change of it:
// the tree's own order (LibraryTree::checkInvariants); the snapshot holds
// the whole library, in the tree's order, also while a name search narrows
// the tree; the tree is the snapshot, or while a search is in effect a part
// of it in the same order; the counts are the snapshot's songs and songs
// with timestamps, and never negative.

#include <QString>

class LibraryTree;
class TreeNodeRecords;

namespace LibraryChecks {

// Whether the window runs the checks after every change of the library
// (and stops at the first that fails): in debug builds, and where a test
// turns them on. A pass over the whole library each time.
bool enabled();
void setEnabled(bool on);

// What is wrong, or empty text.
QString problem(const LibraryTree &tree, const TreeNodeRecords &snapshot, int lyrics, int timestamps, bool searched);

} // namespace LibraryChecks
