#include "app/SongSelection.h"

#include "app/AppState.h"
#include "library/LibraryTree.h"
#include "library/SongNames.h"
#include "lists/ListsModel.h"

QString selectedEntry(const AppState &state)
{
    return listEntry(state.SelectedArtist, state.SelectedSong);
}

QString entryOfFile(const QString &fileName)
{
    const QString artist = ExtractArtist(fileName);
    return listEntry(artist.isEmpty() ? noArtistText() : artist, songTitle(fileName).toString());
}

void SelectSong(AppState &state, const LibraryNode &song)
{
    state.SelectedPath = state.CachePath + song.Key;
    state.SelectedSong = song.Text;
    state.SelectedArtist = song.Parent ? song.Parent->Text : QString();
    state.SelectedArtistIndex = song.Parent ? song.Parent->Index : 0;
    state.HasTimestamps = KasFileExists(state.SelectedPath);
}
