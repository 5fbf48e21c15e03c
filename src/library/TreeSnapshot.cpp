#include "library/TreeSnapshot.h"

#include <numeric>

TreeNodeRecord TreeNodeRecords::operator[](std::size_t i) const
{
    TreeNodeRecord r;
    LibraryNode *n = nodeAt(i);
    r.Text = n->Text;
    r.Key = n->Key;
    r.Image = entries[i].Image;
    r.IsLeaf = entries[i].IsLeaf;
    if (r.IsLeaf && n->Parent)
        r.ParentKey = n->Parent->Key;
    r.Node = n;
    return r;
}

std::optional<quint8> TreeNodeRecords::dropSong(QStringView key)
{
    constexpr std::size_t none = std::size_t(-1);
    std::size_t song = none;
    for (std::size_t i = 0; i < size() && song == none; ++i) {
        if (entries[i].IsLeaf && nodeAt(i)->Key == key)
            song = i;
    }
    if (song == none)
        return std::nullopt;
    const quint8 image = entries[song].Image;

    // An artist left without songs would come back as an empty node.
    const LibraryNode *artist = nodeAt(song)->Parent;
    std::size_t artistAt = none;
    bool otherSongs = false;
    for (std::size_t i = 0; i < size() && (artistAt == none || !otherSongs); ++i) {
        const LibraryNode *n = nodeAt(i);
        if (n == artist && !entries[i].IsLeaf)
            artistAt = i;
        else if (i != song && entries[i].IsLeaf && n->Parent == artist)
            otherSongs = true;
    }

    if (positions.empty()) {
        positions.resize(size());
        std::iota(positions.begin(), positions.end(), quint32(0));
    }
    auto drop = [this](std::size_t i) {
        entries.erase(entries.begin() + std::ptrdiff_t(i));
        positions.erase(positions.begin() + std::ptrdiff_t(i));
    };
    drop(song); // the song stands after its artist
    if (artistAt != none && !otherSongs)
        drop(artistAt);
    return image;
}
