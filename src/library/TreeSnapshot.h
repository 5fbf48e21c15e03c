#pragma once

// A copy of the full library tree, taken after each scan that finds songs,
// from which the search filter rebuilds the tree without reading the disk.

#include <QString>

#include <vector>

struct TreeNodeRecord
{
    QString Text;
    QString Key;
    quint8 Image = 0;
    bool IsLeaf = false;
    // For a song: the key of its artist node. Empty for an artist.
    QString ParentKey;
    // What lets a rebuild skip every lookup: the artist's record (its
    // 0-based position in the snapshot; -1 for an artist) and the number
    // of children.
    int ParentRecord = -1;
    int ChildCount = 0;
    // The node the record was taken from, and the tree's generation then:
    // while the tree has not been cleared since, the node still exists and
    // a rebuild can put it back instead of making a new one.
    struct LibraryNode *Node = nullptr;
    quint64 Generation = 0;
};

// Element i describes node i + 1, in order of addition.
using TreeNodeRecords = std::vector<TreeNodeRecord>;
