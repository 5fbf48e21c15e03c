#pragma once

// Recording a song node as the selection every song command acts on.

struct AppState;
struct LibraryNode;

// SelectedPath = CachePath + key; song and artist texts; the node's and its
// artist's positions; whether the song's timestamp file exists.
void SelectSong(AppState &state, const LibraryNode &song);
