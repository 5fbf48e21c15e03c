#pragma once

// The real player lives in a module of its own (stanzabox-playback.so),
// loaded when a song is first played: Qt Multimedia and what it brings
// (GStreamer, PulseAudio, Qt Network, about thirty libraries) are then not
// loaded at start-up by a user who never presses Play.

#include "playback/SongPlayer.h"

#include <memory>

// A player from the module, or none, with the reason in error.
std::unique_ptr<SongPlayer> loadSongPlayer(QString *error);

// Where the module is looked for: the library folder beside the program's
// bin folder (lib/x86_64-linux-gnu/stanzabox on Debian), in the build folder
// as once installed.
QString songPlayerModulePath();

// The module's one entry point.
#define STANZABOX_SONG_PLAYER_ENTRY "stanzabox_make_song_player"
extern "C" using MakeSongPlayerFunction = SongPlayer *();
