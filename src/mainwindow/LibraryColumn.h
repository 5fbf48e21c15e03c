#pragma once

// The main window's left column: the counts, the search box with its
// results line, and the tree of artists and songs, with what the tree does
// on its own (the one-time filter check when an artist opens, ticking an
// artist's songs, F5).

#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>

class QAction;
class QLabel;
class QLineEdit;
class QWidget;

struct AppState;
struct LibraryNode;
struct MainLayout;
struct FilterCounts;
struct ScanCounts;
class ScanAhead;
class FilterMarkCheck;
class LibraryTree;
class LibraryTreeModel;
class LibraryTreeView;
class Platform;
class TreeNodeRecords;

class LibraryColumn : public QObject
{
    Q_OBJECT

public:
    // Makes the column's controls as children of window.
    LibraryColumn(AppState &state, Platform &platform, QWidget &window);

    LibraryTree &libraryTree() { return *tree; }
    // The artist node of this key in the tree as it stands, or none.
    LibraryNode *artistNode(QStringView key) const;
    FilterMarkCheck &filterMarkCheck() { return *filterCheck; }
    LibraryTreeModel &libraryModel() { return *model; }
    LibraryTreeView &view() { return *lista; }

    // Fills the (empty) tree from CachePath, shows the counts and takes the
    // snapshot the search filter restores from. A scan started ahead of
    // CachePath gives its nodes instead of a new one. A letter folder that
    // cannot be read keeps the songs known holds in it.
    ScanCounts ScanLibrary(ScanAhead *ahead = nullptr, const TreeNodeRecords *known = nullptr);

    // The search box changed: narrow the tree, or rebuild and filter it.
    void txtSearch_Change();
    void RestoreTree();
    void lista_Expand(LibraryNode *node);
    void lista_NodeCheck(LibraryNode *node);
    void lista_KeyUp(int key);

    // The song's file is gone: its node (its artist's too, when it was the
    // last) leaves the tree and the snapshot, the counts (as the library
    // counted it) and the results line follow. Returns the collection
    // position the artist had, where the next node to select now stands
    // (artistIndex when the tree no longer holds the song).
    int removeSong(const QString &songKey, int artistIndex);
    // Reads the library again after it changed on disk, keeping what the
    // user sees: the search, open artists, the selected node, the ticks and
    // the scroll position. Tells nothing already told (unreadable folders).
    ScanCounts refresh(const QStringList &folders);
    // No lyrics left: nothing to search.
    void setSearchEnabled(bool enabled);
    void focusSearch();
    // Empties the search box, and with it the search.
    void clearSearch();
    // A control inside the search box, at its end.
    void addSearchBoxAction(QAction *action);
    // What the notice of an empty tree offers to do.
    void setNoticeAction(QAction *action) { noticeAction = action; }
    // Reads another library in place of the one shown: no search, nothing
    // open or selected, the search box usable when there are songs.
    ScanCounts openLibrary();

    // What is wrong with the library the column holds (LibraryChecks), or
    // empty text.
    QString libraryProblem() const;

    void applyLayout(const MainLayout &layout);
    void applyColours();
    // The search box's label sizes itself to its caption; the box takes the rest.
    double searchLabelWidthTwips() const;

Q_SIGNALS:
    void nodeClicked(LibraryNode *node);
    // The results line appeared or went: the tree moves down or up.
    void resultsLineShown(bool shown);
    // The library was read again (F5).
    void rescanned(const ScanCounts &counts);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applySearch(const QString &text);
    struct ViewState
    {
        QStringList openArtists;
        QString currentKey;
        QStringList tickedKeys;
        int scroll = 0;
    };
    ViewState viewState() const;
    // Takes the change of the folders into the tree as it stands, keeping
    // the view as it is; false when it has to be read again whole.
    bool refreshInPlace(const QStringList &folders);
    // The counts of the library shown, in the form a scan gives them.
    ScanCounts shownCounts() const;
    void restoreViewState(const ViewState &view);
    void showCounts();
    // Why the tree is empty, when it is; empty text when it is not.
    QString notice(const ScanCounts &counts) const;
    // Runs a change of the tree's nodes, then opens the artists that were
    // open and selects the node that was current, where they are still there.
    void keepingViewState(const std::function<void()> &change);
    // Opens again the artists that were open, where they are still in the
    // tree, and makes current the node that was, if it is.
    void reopen(LibraryNode *current);
    // The results line says what a search found.
    void showResults(const FilterCounts &counts);
    // Says which letter folders could not be read: again, or (following the
    // disk) only those not told since they were last read. listed: the
    // folders read; empty for all of them.
    void tellUnreadable(const QStringList &unreadable, const QStringList &listed, bool again);
    // After every change of the library, when LibraryChecks are on.
    void verify() const;

    AppState &state;
    Platform &platform;
    LibraryTree *tree = nullptr;
    LibraryTreeModel *model = nullptr;
    QAction *noticeAction = nullptr;
    FilterMarkCheck *filterCheck = nullptr;
    QString LastSearchText;
    // The last scan found the cache folder: the tree shows a library.
    bool libraryShown = false;
    // Letter folders the user was told could not be read, and not read since.
    QStringList toldUnreadable;
    QSet<LibraryNode *> expandedNodes;

    QLabel *lblCount = nullptr;
    QLabel *lblSearch = nullptr;
    QLineEdit *txtSearch = nullptr;
    QLabel *lblSearchResults = nullptr;
    LibraryTreeView *lista = nullptr;
};
