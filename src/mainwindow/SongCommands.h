#pragma once

// The main window's toolbar and the commands behind its buttons: edit,
// delete and mark the selected song, open its pages, and show the lists.
// Every command takes the song it acts on from the selection once, when the
// user gives it.

#include <QList>
#include <QObject>

class QAction;
class QToolBar;
class QWidget;

struct AppState;
struct MainLayout;
class LibraryColumn;
class ListsModel;
class Platform;
class SongPanel;

class SongCommands : public QObject
{
    Q_OBJECT

public:
    // Toolbar buttons by position.
    enum Button {
        Edit = 1, Delete, MarkRedownload, Lists, OpenInBrowser, VisitSite, SearchKaraoke,
        JoinLyrics, Help, Music
    };

    // Makes the toolbar (in its holder) as a child of window.
    SongCommands(AppState &state, Platform &platform, ListsModel &lists, LibraryColumn &column,
                 SongPanel &panel, QWidget &window);

    QAction *toolbarButton(int position) const;

    // A button by its key, a menu item of Lists by its key.
    void tlbMain_ButtonClick(const QString &key);
    void tlbMain_ButtonMenuClick(const QString &key);
    void Edit_Click();
    void Delete_Click();
    void MarkRedownload_Click();
    // The lists window took the selected song's entry out of the redownload list.
    void releaseMarkRedownload();

    // What the buttons allow after a click on an artist, on a song (marked
    // for redownload or not), or when nothing is selected.
    void enableForArtist();
    void enableForSong(bool markedForRedownload);
    void enableForSource(bool hasSource);
    // Edit is released and the lyrics box read-only, nothing written.
    void leaveEditMode();

    void applyLayout(const MainLayout &layout);

Q_SIGNALS:
    // The lists window is to be arranged and shown.
    void listsWindowRequested();
    void joinClicked();
    // The Music window is to be shown.
    void musicWindowRequested();
    // A song's file was written anew (Edit), or has gone (Delete); key as
    // the tree has it.
    void songFileWritten(const QString &key);
    void songFileRemoved(const QString &key, const QString &entry);
    // After a Delete: the node now at this position of the collection is to
    // be clicked and selected; none when the position is past the end.
    void selectNodeAt(int position);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createToolbar();

    AppState &state;
    Platform &platform;
    ListsModel &lists;
    LibraryColumn &column;
    SongPanel &panel;
    QWidget *picHolder = nullptr;
    QToolBar *tlbMain = nullptr;
    int toolbarHeight = 0;
    QList<QAction *> buttons; // by position - 1
};
