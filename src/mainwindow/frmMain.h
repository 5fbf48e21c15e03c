#pragma once

// The main window: the library column (counts, search, tree) left of the
// splitter; the song panel (heading, information, lyrics), the toolbar and
// the karaoke editor right of it. The window lays its parts out, moves the
// splitter, and turns a click on a node into what each part shows.

#include "app/WindowSettings.h"
#include "app/MainLayout.h"
#include "mainwindow/SongCommands.h"

#include <QWidget>

class QAction;
class QKeySequence;
class QLineEdit;

struct AppState;
struct KaraokeMusic;
struct LibraryNode;
struct ScanCounts;
class ScanAhead;
class JoinMode;
class KaraokePanel;
class LibraryColumn;
class LibraryTree;
class LibraryTreeModel;
class LibraryWatcher;
class LyricsEngine;
class LyricsSearchPanel;
class ListsModel;
class Platform;
class SongPanel;
class clsKaraokeEdition;

class frmMain : public QWidget
{
    Q_OBJECT
    Q_CLASSINFO("accessibleRole", "window")

public:
    // Toolbar buttons by position: frmMain::Edit and so on.
    using enum SongCommands::Button;

    frmMain(AppState &state, Platform &platform, ListsModel &lists, QWidget *parent = nullptr);
    ~frmMain() override;

    LibraryTree &libraryTree();
    LibraryTreeModel &libraryModel();
    // What is wrong with the library the window holds (LibraryChecks), or
    // empty text.
    QString libraryProblem() const;
    QAction *toolbarButton(int position) const;
    clsKaraokeEdition &karaokeEdition();
    int currentStamp() const;
    const MainLayout &layoutTwips() const { return layout; }

    // Fills the (empty) tree from CachePath: the tree, the counts and the
    // snapshot the search restores from; from a scan started ahead when it
    // read CachePath.
    void ScanLibrary(ScanAhead *ahead = nullptr);
    // A click on a node of the tree (by the user, or by Delete for the node
    // that takes the deleted song's place).
    void lista_NodeClick(LibraryNode *node);
    // The lists window took the selected song's entry out of the redownload list.
    void releaseMarkRedownload();
    // Asks for a cache folder and shows its library instead (Ctrl+O).
    void chooseCacheFolder();

    // Follows the library on disk from now on: files the downloader adds,
    // changes or removes show in the tree within a second, and the song on
    // display is read again when its file changes.
    void followDisk();
    // Files came, changed or went in these letter folders of the cache.
    void libraryChangedOnDisk(const QStringList &folders);

    // Puts songs of the deleted list back from the desktop's trash, into the
    // library on disk and the tree; says which could not come back and why.
    // True for each entry that came back.
    QList<bool> restoreEntries(const QStringList &entries);
    // Ctrl+Z: puts back the song deleted last in this run.
    void undoDelete();

    // Gives the window the lyrics index: "Find in lyrics" becomes available
    // (Ctrl+Shift+F, and the magnifier at the end of the search box).
    void setLyricsEngine(LyricsEngine &engine);
    // Where the karaoke editor finds a song's music and gets a player for it.
    void setKaraokeMusic(const KaraokeMusic &music);
    // The music files known changed: the editor asks again for its song's.
    void musicFilesChanged();

    // Opens or closes "Find in lyrics" above the tree.
    void showFinder(bool show);
    // Opens a song found by its lyrics: selected in the tree as a click
    // selects it, its lyrics shown at the line found (from 1; 0: none).
    void openMatch(const QString &key, int line);

    // Moves the splitter to x (twips) when it stays within 10 %..90 % of the width.
    void DoSplit(double x);
    void picSplit_MouseDown(double x);
    void picSplit_MouseMove(double x);
    void picSplit_MouseUp();

    // Places the still hidden window as the stored settings say.
    void applySettings(const WindowSettings &settings);
    // The window's place, size and splitter now, for storing.
    WindowSettings currentSettings() const;

Q_SIGNALS:
    // The lists window is to be arranged and shown.
    void listsWindowRequested();
    // The Music window is to be shown (its toolbar button, Ctrl+M).
    void musicWindowRequested();
    // The library's songs changed: read, read again, changed on disk, one deleted.
    void libraryChanged();
    // The window is closing; the program ends after this.
    void unloading();
    // The selected song stands in the redownload list at this position.
    void redownloadEntryMatched(int position);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // How the parts tell each other what happened.
    void connectParts();
    // The window's own keys: Ctrl+Q, Ctrl+F, Ctrl+O, Ctrl+Z, Ctrl+Shift+F, Ctrl+M.
    void addShortcuts();
    template<typename Receiver, typename Slot>
    void addShortcut(QAction *action, const QKeySequence &keys, Receiver *receiver, Slot slot);
    // The one way the right column comes to show another song, an artist
    // (a node with children) or nothing (null): unsaved work is settled
    // first, and the view's row goes back when the user stays with it.
    // False when they did.
    bool showOnDisplay(LibraryNode *node);
    // Asks whether to save text typed or stamps edited that are not on disk
    // (Save, Discard, Cancel) and does as told; true when nothing is left
    // unsaved, false when the user stays with it or a save failed.
    bool settleUnsavedWork();
    void putBackCurrentRow();
    // After the tree changed (on disk, F5): the panel follows its song to a
    // new name, lets it go when it is gone, and the tree's current row is
    // what the panel shows.
    void followDisplayedSong(const QStringList &folders);
    // The song on display was renamed (found in its own folder or these):
    // it stays on display under its new name.
    bool followRename(const QStringList &folders);
    QString shownSongKey() const;
    // The node of the song or artist on display, looked up anew; null when
    // the tree has none.
    LibraryNode *findShownNode();
    void markShownRow(LibraryNode *shown);
    void onArtistClick(LibraryNode *node);
    void onSongClick(LibraryNode *node);
    // Shows the selected song's file and what it says about itself.
    void ShowLyrics();
    // No node is selected at all, e.g. the last song of the tree was deleted.
    void showNothingSelected();
    void selectNodeAt(int position);
    void onSelectedFileChanged(const QString &path);
    // The song on display is gone from disk.
    void selectedSongGone();
    void setDiskBarShown(bool shown);
    // Songs are back on disk: the tree, the counts and the index follow.
    void songsRestored(const QStringList &keys);
    // The node of the song with this key selected and shown, as a click would.
    void openSong(const QString &key);
    // The library has songs or has none: search and Join follow.
    void followLibrary(const ScanCounts &counts);
    void libraryRead(const ScanCounts &counts);
    void applyLayout();
    void applyColours();
    void syncClientSize();
    void arrangeColumns();

    AppState &state;
    Platform &platform;
    ListsModel &lists;
    MainLayout layout;
    bool SplitDragging = false;
    float SplitGrabX = 0;

    LibraryColumn *column = nullptr;
    SongPanel *panel = nullptr;
    SongCommands *commands = nullptr;
    KaraokePanel *karaoke = nullptr;
    JoinMode *join = nullptr;
    QWidget *picSplit = nullptr;
    struct DeletedSong
    {
        QString key;
        QString entry;
    };
    QList<DeletedSong> deletedThisRun;
    LibraryWatcher *watcher = nullptr;
    LyricsEngine *lyricsEngine = nullptr;
    LyricsSearchPanel *finder = nullptr;
    QAction *findInLyrics = nullptr;
    QLineEdit *searchBox = nullptr;
    // The question about unsaved work is up; changes on disk wait for it.
    bool asking = false;
    // The node on display, while the tree keeps its nodes: a search puts the
    // same nodes back.
    LibraryNode *shownCache = nullptr;
    QStringList changedWhileAsking;
};
