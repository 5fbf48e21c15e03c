#pragma once

// Start-up and shut-down: the one place that knows both windows, owns the
// shared state and wires the windows to it and to each other.

#include "app/AppState.h"
#include "app/StartOptions.h"
#include "lists/ListsModel.h"

#include <QObject>

#include <memory>

class LyricsEngine;
class MusicLibrary;
struct MusicFile;
class frmMusic;

class frmMain;
class frmlists;
class Platform;

class Main : public QObject
{
    Q_OBJECT

public:
    explicit Main(Platform &platform, QObject *parent = nullptr);
    ~Main() override;

    // Where the lyrics index is kept: "Find in lyrics" is there only when
    // this was given before run().
    void keepLyricsIndexIn(const QString &folder) { lyricsIndexFolder = folder; }
    // Where what the music files' tags say is kept between runs (not kept
    // when this is not given).
    void keepMusicCacheIn(const QString &file) { musicCacheFile = file; }
    // Runs the start-up in its fixed order and shows the main window. A
    // cache folder in the options replaces the registry and settings.txt.
    void run(const StartOptions &options = {});

    AppState &state() { return appState; }
    ListsModel &lists() { return listsModel; }
    frmMain *mainWindow() const { return mainForm.get(); }
    // The lists window, made on first use.
    frmlists &listsWindow();
    bool listsWindowMade() const { return listsForm != nullptr; }
    // The music folder and what is known of it, made on first use.
    MusicLibrary &musicLibrary();
    // The Music window, made on first use.
    frmMusic &musicWindow();
    // Where the two list files are kept.
    QString listsFolder() const;

Q_SIGNALS:
    // Shut-down is complete; the program should end now.
    void finished();

private:
    // Sets the cache folder given on the command line, or finds the
    // downloader, or takes the folder chosen last time when there is none.
    // True when the cache folder is set already (settings.txt is not read).
    bool findCacheFolder(const StartOptions &options);
    // The two lists from their files, with what is told when one fails.
    void loadLists();
    void showListsWindow();
    void showMusicWindow();
    // The music file of the song whose lyrics file this is, for the karaoke
    // editor; the music folder is read the first time one is asked for.
    MusicFile musicFileFor(const QString &lyricsPath);
    // The lists window's Restore: the deleted list's entries at these positions.
    void restoreDeleted(const QList<int> &positions);
    void shutDown();

    Platform &platform;
    AppState appState;
    ListsModel listsModel;
    // Outlives the main window, whose "Find in lyrics" asks it.
    QString lyricsIndexFolder;
    std::unique_ptr<LyricsEngine> lyricsEngine;
    std::unique_ptr<frmMain> mainForm;
    std::unique_ptr<frmlists> listsForm;
    QString musicCacheFile;
    QString musicFolder;
    std::unique_ptr<MusicLibrary> music;
    std::unique_ptr<frmMusic> musicForm;
    int pendingRedownloadSelection = -1;
    bool listSaveReported = false;
};
