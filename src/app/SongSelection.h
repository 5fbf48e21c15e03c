#pragma once

// Recording a song node as the selection every song command acts on.

#include <QString>

struct AppState;
struct LibraryNode;

// The selected song's entry in the lists, "Artist - Song".
QString selectedEntry(const AppState &state);
// The entry of the song a lyrics file name ("Artist - Song.txt") gives, as
// the tree names its artist and song.
QString entryOfFile(const QString &fileName);

// SelectedPath = CachePath + key; song and artist texts; the artist's
// position; whether the song's timestamp file exists.
void SelectSong(AppState &state, const LibraryNode &song);
