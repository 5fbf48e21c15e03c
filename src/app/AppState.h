#pragma once

// The state the two windows share for the whole run: where the library is,
// what the last scan counted, which song is selected, and the tree snapshot.

#include "library/TreeSnapshot.h"

#include <QString>

// The program's name in its window title and its messages.
inline const QString ProgramTitle = QStringLiteral("Wordhive Stanzabox");

struct AppState
{
    QString CachePath;   // the lyrics cache folder; a song's file is CachePath + its key
    QString InstallPath; // the downloader's install folder

    int LyricsCount = 0;
    int TimestampsCount = 0;

    // The song last clicked. SelectedPath is emptied by a click on an artist.
    QString SelectedPath;
    QString SelectedSong;
    QString SelectedArtist;
    bool HasTimestamps = false;
    int SelectedArtistIndex = 0;

    // Source page of the selected song, kept when a song has none.
    QString PageUrl;
    QString SiteName;

    TreeNodeRecords TreeSnapshot;

    // Which list the lists window shows: the redownload list when true.
    bool RedownloadListActive = false;
};
