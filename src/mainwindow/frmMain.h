#pragma once

// The main window: counts, search box and library tree on the left of the
// splitter; heading, information panel, toolbar, karaoke editor and lyrics
// on the right.

#include "app/WindowSettings.h"
#include "mainwindow/MainLayout.h"

#include <QSet>
#include <QWidget>

#include <functional>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QToolBar;

struct AppState;
struct LibraryNode;
class LibraryTree;
class LibraryTreeModel;
class LibraryTreeView;
class LinedLabel;
class ListsModel;
class Platform;
struct ScanCounts;
class clsKaraokeEdition;

class frmMain : public QWidget
{
    Q_OBJECT
    Q_CLASSINFO("accessibleRole", "window")

public:
    // Toolbar buttons by position.
    enum Button {
        Edit = 1, Delete, MarkRedownload, Lists, OpenInBrowser, VisitSite, SearchKaraoke,
        JoinLyrics, Help
    };

    frmMain(AppState &state, Platform &platform, ListsModel &lists, QWidget *parent = nullptr);
    ~frmMain() override;

    LibraryTree &libraryTree() { return *tree; }
    LibraryTreeModel &libraryModel() { return *model; }
    QAction *toolbarButton(int position) const;
    const MainLayout &layoutTwips() const { return layout; }

    // Fills the (empty) tree from CachePath, shows the counts and takes the
    // snapshot the search filter restores from.
    void ScanLibrary();
    // Shows the selected song's file and what it says about itself.
    void ShowLyrics();
    void ShowKaraokeEditionFrame(bool show);
    void UpdateKaraokeScroll();
    // The row manager, made with the editor's controls on first use.
    clsKaraokeEdition &karaokeEdition();
    // The row that last had the keyboard focus.
    int currentStamp() const { return CurrentStamp; }

    void cmdAdd_Click();
    void cmdDel_Click();
    void cmdSave_Click();
    void VScroll1_Change(int value);

    void DoSplit(double x);
    void ArrangeHeights();
    void ArrangeColumns();
    void ArrangeRightWidths();

    // The search box changed: narrow the tree, or rebuild and filter it.
    void txtSearch_Change();
    void RestoreTree();
    void ShowLabel(bool show);

    void picSplit_MouseDown(double x);
    void picSplit_MouseMove(double x);
    void picSplit_MouseUp();

    // Places the still hidden window as the stored settings say.
    void applySettings(const WindowSettings &settings);
    // The window's place, size and splitter now, for storing.
    WindowSettings currentSettings() const;

    // The tree events, also run directly by commands that pick a node.
    void lista_NodeClick(LibraryNode *node);
    void lista_Expand(LibraryNode *node);
    void lista_NodeCheck(LibraryNode *node);
    void lista_KeyUp(int key);

    // The toolbar: a button by its key, a menu item of Lists by its key.
    void tlbMain_ButtonClick(const QString &key);
    void tlbMain_ButtonMenuClick(const QString &key);
    void Edit_Click();
    void Delete_Click();
    void MarkRedownload_Click();
    void JoinLyrics_Click();
    // The lists window took the selected song's entry out of the redownload list.
    void releaseMarkRedownload();

Q_SIGNALS:
    // The lists window is to be arranged and shown.
    void listsWindowRequested();
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

private:
    void createControls();
    // Why the tree is empty, when it is; empty text when it is not.
    QString libraryNotice(const ScanCounts &counts);
    void createToolbar();
    void applyColours();
    void setLyricsEditable(bool editable);
    void applyLayout();
    void createKaraokePanel();
    void applyKaraokeLayout();
    // Loads the selected song's timestamps into the editor and shows it.
    void LoadTimestamps();
    void rearrangeAfterRowChange();
    void arrangeKaraokeTabOrder();
    void scrollRowIntoView(int index);
    void syncClientSize();
    void applySearch(const QString &text);
    // The lyrics box's text with the file's CR LF line ends.
    QString lyricsBoxText() const;
    // Takes a deleted song, and its artist when it was the last, out of
    // the snapshot the search restores from.
    void dropFromSnapshot(const QString &songKey);
    // Runs a change of the tree's nodes and opens the artists that were open
    // and selects the node that was current, where they are still there.
    void keepingViewState(const std::function<void()> &change);
    void clearValueLabels();
    void setValueLabel(QLabel *label, const QString &text);
    void onArtistClick(LibraryNode *node);
    // The song part of the panel emptied and the song commands off: no song
    // is selected.
    void clearSongDisplay();
    // No node is selected at all, e.g. the last song of the tree was deleted.
    void showNothingSelected();
    void leaveEditMode();
    void onSongClick(LibraryNode *node);

    // What the lyrics box says while no song is shown.
    static inline const QString NoSongHint = QStringLiteral("Select a song to see its lyrics");

    AppState &state;
    Platform &platform;
    ListsModel &lists;

    LibraryTree *tree = nullptr;
    LibraryTreeModel *model = nullptr;
    MainLayout layout;
    int toolbarHeight = 0;
    int LastSearchLength = 0;
    QString LastSearchText;
    bool SplitDragging = false;
    float SplitGrabX = 0;
    QSet<LibraryNode *> expandedNodes;

    QLabel *lblCount = nullptr;
    QLabel *lblSearch = nullptr;
    QLineEdit *txtSearch = nullptr;
    QLabel *lblSearchResults = nullptr;
    LibraryTreeView *lista = nullptr;
    QWidget *picSplit = nullptr;
    QLabel *LblSong = nullptr;
    QWidget *picInfo = nullptr;
    LinedLabel *lblInfoTitles = nullptr;
    QLabel *lblArtist = nullptr;
    QLabel *lblSong2 = nullptr;
    QLabel *lblKaraoke = nullptr;
    QLabel *lblWebsite = nullptr;
    QLabel *lblBrowser = nullptr;
    QLabel *lblFilter = nullptr;
    QWidget *picHolder = nullptr;
    QToolBar *tlbMain = nullptr;
    QGroupBox *frmKaraoke = nullptr;
    QWidget *Picture1 = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdDel = nullptr;
    QPushButton *cmdSave = nullptr;
    QWidget *picContainerKasEditModeOne = nullptr;
    QScrollBar *VScroll1 = nullptr;
    QWidget *picMoveable1 = nullptr;
    clsKaraokeEdition *KaraokeEdition = nullptr;
    int CurrentStamp = 0;
    QPlainTextEdit *lyrics = nullptr;
    QList<QAction *> buttons; // by position - 1
};
