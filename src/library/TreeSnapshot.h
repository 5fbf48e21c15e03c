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
};

// Element i describes node i + 1, in order of addition.
using TreeNodeRecords = std::vector<TreeNodeRecord>;
