#include "mainwindow/LibraryColumn.h"

#include "app/AppState.h"
#include "library/FilterMarkCheck.h"
#include "library/FolderRefresh.h"
#include "library/LibraryChecks.h"
#include "library/LibraryScan.h"
#include "library/LibraryTree.h"
#include "library/SearchFilter.h"
#include "library/SongNames.h"
#include "app/MainLayout.h"
#include "platform/Platform.h"
#include "widgets/DesignFonts.h"
#include "widgets/LibraryTreeModel.h"
#include "widgets/LibraryTreeView.h"
#include "widgets/Readability.h"
#include "widgets/SpokenLabel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>

#include <utility>

using namespace Qt::StringLiterals;

namespace {
const QString kFilterChecked = u"filterchecked"_s;
} // namespace

LibraryColumn::LibraryColumn(AppState &appState, Platform &desktop, QWidget &window)
    : QObject(&window), state(appState), platform(desktop)
{
    tree = new LibraryTree(this);
    model = new LibraryTreeModel(*tree, this);
    filterCheck = new FilterMarkCheck(*tree, this);
    // Every node is freed: none of them is open any more.
    connect(tree, &LibraryTree::cleared, this, [this] { expandedNodes.clear(); });

    lblCount = new SpokenLabel(&window);
    lblCount->setObjectName(u"lblCount"_s);
    lblCount->setFont(DesignFonts::heading());
    lblCount->setAutoFillBackground(true);
    lblCount->setForegroundRole(QPalette::HighlightedText);
    lblCount->setBackgroundRole(QPalette::Shadow);
    lblCount->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lblSearch = new QLabel(u"Search:"_s, &window);
    lblSearch->setObjectName(u"lblSearch"_s);
    lblSearch->adjustSize();

    txtSearch = new QLineEdit(&window);
    txtSearch->setObjectName(u"txtSearch"_s);
    txtSearch->setAccessibleName(u"Search"_s);
    txtSearch->setPlaceholderText(u"Artist or song"_s);
    lblSearch->setBuddy(txtSearch);
    connect(txtSearch, &QLineEdit::textChanged, this, [this] { txtSearch_Change(); });
    txtSearch->installEventFilter(this);

    lblSearchResults = new SpokenLabel(&window);
    lblSearchResults->setObjectName(u"lblSearchResults"_s);
    lblSearchResults->setFont(DesignFonts::results());
    lblSearchResults->setForegroundRole(QPalette::Highlight);
    lblSearchResults->hide();

    lista = new LibraryTreeView(&window);
    lista->setObjectName(u"lista"_s);
    lista->setAccessibleName(u"Library"_s);
    lista->setModel(model);
    connect(lista, &LibraryTreeView::nodeClicked, this,
            [this](const QModelIndex &index) { Q_EMIT nodeClicked(model->nodeAt(index)); });
    connect(lista, &QTreeView::expanded, this, [this](const QModelIndex &index) {
        expandedNodes.insert(model->nodeAt(index));
        lista_Expand(model->nodeAt(index));
    });
    connect(lista, &QTreeView::collapsed, this,
            [this](const QModelIndex &index) { expandedNodes.remove(model->nodeAt(index)); });
    connect(lista, &LibraryTreeView::keyReleased, this, [this](int key) { lista_KeyUp(key); });
    connect(model, &LibraryTreeModel::nodeCheckChanged, this, [this](LibraryNode *node) { lista_NodeCheck(node); });
}

LibraryNode *LibraryColumn::artistNode(QStringView key) const
{
    // A walk over the artists costs less than the key table of every node.
    for (LibraryNode *root : tree->roots()) {
        if (root->Key == key)
            return root;
    }
    return nullptr;
}

double LibraryColumn::searchLabelWidthTwips() const
{
    return Twips::fromPixels(lblSearch->width());
}

void LibraryColumn::applyLayout(const MainLayout &l)
{
    lblCount->setGeometry(l.lblCount.pixels());
    // Both labels size themselves to their captions when these are set.
    lblSearch->move(l.lblSearch.pixels().topLeft());
    txtSearch->setGeometry(l.txtSearch.pixels());
    lblSearchResults->move(l.lblSearchResults.pixels().topLeft());
    lista->setGeometry(l.treeShown().pixels());
}

void LibraryColumn::applyColours()
{
    // The design's colours by role, readable on the desktop's palette.
    Readability::apply(lblCount, QPalette::HighlightedText, QPalette::Shadow);
    Readability::apply(lblSearchResults, QPalette::Highlight, QPalette::Window);
}

void LibraryColumn::showCounts()
{
    lblCount->setText(countsCaption(state.LyricsCount, state.TimestampsCount));
}

QString LibraryColumn::notice(const ScanCounts &counts) const
{
    if (state.InstallPath.isEmpty() && !counts.FolderFound) {
        const QStringList places = platform.downloaderSearchPlaces();
        return places.isEmpty() ? u"No Wordhive downloader found."_s
                                : u"No Wordhive downloader found in "_s + places.join(u", "_s);
    }
    if (!counts.FolderFound)
        return u"The Wordhive lyrics folder was not found: "_s + state.CachePath;
    if (counts.Lyrics == 0)
        return u"No lyrics in "_s + state.CachePath + u" yet."_s;
    return QString();
}

ScanCounts LibraryColumn::ScanLibrary(ScanAhead *ahead, const TreeNodeRecords *known)
{
    state.LyricsCount = 0;
    state.TimestampsCount = 0;
    ScanCounts counts;
    bool scanned = false;
    if (ahead && ahead->cachePath() == state.CachePath) {
        ScanAhead::Result read = ahead->take();
        scanned = tree->takeNodes(*read.tree);
        counts = read.counts;
    }
    if (!scanned)
        counts = scanCacheFolder(state.CachePath, *tree, known);
    // An empty tree says why it is empty.
    lista->setNotice(notice(counts), noticeAction);
    libraryShown = counts.FolderFound;
    if (counts.FolderFound) {
        state.LyricsCount = counts.Lyrics;
        state.TimestampsCount = counts.Timestamps;
        if (state.LyricsCount == 0)
            setSearchEnabled(false);
        showCounts();
        // Songs may be missing from the tree: say where, rather than show
        // a library smaller than it is without a word.
        tellUnreadable(counts.Unreadable, {}, true);
        platform.processPendingEvents();
    }
    // Whatever the scan found, none included: a search must never bring
    // back songs of a library read before.
    state.TreeSnapshot = TakeTreeSnapshot(*tree);
    verify();
    return counts;
}

void LibraryColumn::tellUnreadable(const QStringList &unreadable, const QStringList &listed, bool again)
{
    QStringList untold;
    for (const QString &folder : unreadable) {
        if (again || !toldUnreadable.contains(folder))
            untold.append(folder);
    }
    // A folder read again is told again when it fails again.
    if (listed.isEmpty())
        toldUnreadable.clear();
    for (const QString &folder : listed)
        toldUnreadable.removeAll(folder);
    toldUnreadable += unreadable;
    toldUnreadable.removeDuplicates();
    if (untold.isEmpty())
        return;
    QString text = u"These letter folders of the library could not be read: "_s + untold.join(u", "_s);
    if (!again)
        text += u"\nTheir songs are shown as they were last read."_s;
    platform.showMessage(text + u"\n\n"_s + state.CachePath, ProgramTitle, MessageIcon::Exclamation);
}

QString LibraryColumn::libraryProblem() const
{
    return LibraryChecks::problem(*tree, state.TreeSnapshot, state.LyricsCount, state.TimestampsCount,
                                  !LastSearchText.isEmpty());
}

void LibraryColumn::verify() const
{
    if (!LibraryChecks::enabled())
        return;
    if (const QString problem = libraryProblem(); !problem.isEmpty())
        qFatal("The library broke its own rules: %s", qUtf8Printable(problem));
}

ScanCounts LibraryColumn::openLibrary()
{
    {
        // The old library's search goes with it, without a pass over it.
        const QSignalBlocker quiet(txtSearch);
        txtSearch->clear();
    }
    LastSearchText.clear();
    lblSearchResults->hide();
    Q_EMIT resultsLineShown(false);
    tree->clear();
    state.TreeSnapshot = {};
    const ScanCounts counts = ScanLibrary();
    setSearchEnabled(state.LyricsCount > 0);
    return counts;
}

LibraryColumn::ViewState LibraryColumn::viewState() const
{
    ViewState view;
    for (const LibraryNode *artist : expandedNodes) {
        if (artist->inTree())
            view.openArtists.append(artist->Key);
    }
    if (const LibraryNode *current = model->nodeAt(lista->currentIndex()))
        view.currentKey = current->Key;
    for (int i = 1; i <= tree->count(); ++i) {
        if (const LibraryNode *node = tree->node(i); node->Checked)
            view.tickedKeys.append(node->Key);
    }
    view.scroll = lista->verticalScrollBar()->value();
    return view;
}

void LibraryColumn::restoreViewState(const ViewState &view)
{
    for (const QString &key : view.tickedKeys) {
        if (LibraryNode *node = tree->find(key))
            tree->setChecked(node, true);
    }
    for (const QString &key : view.openArtists) {
        if (LibraryNode *artist = tree->find(key))
            lista->setExpanded(model->indexOf(artist), true);
    }
    if (LibraryNode *current = view.currentKey.isEmpty() ? nullptr : tree->find(view.currentKey))
        lista->setCurrentIndex(model->indexOf(current));
    lista->verticalScrollBar()->setValue(view.scroll);
}

ScanCounts LibraryColumn::refresh(const QStringList &folders)
{
    const ViewState view = viewState();
    if (!folders.isEmpty() && libraryShown && refreshInPlace(folders)) {
        verify();
        return shownCounts();
    }
    tree->clear();
    // The snapshot still holds the library as it was: a folder that cannot
    // be read now keeps what it held.
    const ScanCounts counts = scanCacheFolder(state.CachePath, *tree, &state.TreeSnapshot);
    libraryShown = counts.FolderFound;
    state.LyricsCount = counts.FolderFound ? counts.Lyrics : 0;
    state.TimestampsCount = counts.FolderFound ? counts.Timestamps : 0;
    lista->setNotice(notice(counts), noticeAction);
    showCounts();
    state.TreeSnapshot = TakeTreeSnapshot(*tree);
    if (!LastSearchText.isEmpty())
        applySearch(LastSearchText);
    restoreViewState(view);
    setSearchEnabled(state.LyricsCount > 0);
    tellUnreadable(counts.Unreadable, {}, false);
    verify();
    return counts;
}

bool LibraryColumn::refreshInPlace(const QStringList &folders)
{
    // A search in effect: the change goes into the whole library, which is
    // then searched again. What the rebuild forgets (open artists, ticks,
    // the current row, the scroll) is put back after it.
    const bool searched = !LastSearchText.isEmpty();
    LibraryNode *current = model->nodeAt(lista->currentIndex());
    // The place scrolled to is the row at the top: rows that come or go
    // above it leave it there.
    LibraryNode *top = model->nodeAt(lista->indexAt(QPoint(0, 0)));
    const int scroll = lista->verticalScrollBar()->value();
    std::vector<LibraryNode *> ticked;
    if (searched) {
        for (int i = 1; i <= tree->count(); ++i) {
            if (LibraryNode *node = tree->node(i); node->Checked)
                ticked.push_back(node);
        }
        ::RestoreTree(*tree, state.TreeSnapshot);
    }

    const FolderRefresh change = refreshLetterFolders(state.CachePath, folders, *tree);
    if (!change.Applied)
        return false;
    state.LyricsCount += change.LyricsDelta;
    state.TimestampsCount += change.TimestampsDelta;
    const ScanCounts counts = shownCounts();
    lista->setNotice(notice(counts), noticeAction);
    showCounts();
    setSearchEnabled(state.LyricsCount > 0);
    // The snapshot holds the pictures a scan gives, not those of a check.
    state.TreeSnapshot = tree->snapshot([](quint8 image) -> quint8 {
        return image == NodeImage::UnfilteredSong ? NodeImage::Song : image;
    });

    if (searched) {
        showResults(filterTree(*tree, LastSearchText));
        for (LibraryNode *node : ticked) {
            if (node->inTree())
                tree->setChecked(node, true);
        }
        reopen(current);
        lista->verticalScrollBar()->setValue(scroll);
    } else {
        expandedNodes.removeIf([](const LibraryNode *node) { return !node->inTree(); });
        // An open artist that was checked already: its new songs get the check too.
        std::vector<LibraryNode *> unchecked;
        for (LibraryNode *song : change.Unchecked) {
            if (song->inTree() && song->Parent && song->Parent->Tag == kFilterChecked)
                unchecked.push_back(song);
        }
        if (!unchecked.empty())
            filterCheck->check(state.CachePath, unchecked);
    }
    if (top && top->inTree() && (!top->Parent || expandedNodes.contains(top->Parent)))
        lista->scrollTo(model->indexOf(top), QAbstractItemView::PositionAtTop);
    tellUnreadable(change.Unreadable, folders, false);
    return true;
}

ScanCounts LibraryColumn::shownCounts() const
{
    ScanCounts counts;
    counts.FolderFound = true;
    counts.Lyrics = state.LyricsCount;
    counts.Timestamps = state.TimestampsCount;
    return counts;
}

void LibraryColumn::setSearchEnabled(bool enabled)
{
    txtSearch->setEnabled(enabled);
}

void LibraryColumn::focusSearch()
{
    txtSearch->setFocus(Qt::ShortcutFocusReason);
    txtSearch->selectAll();
}

void LibraryColumn::clearSearch()
{
    txtSearch->clear();
}

void LibraryColumn::addSearchBoxAction(QAction *action)
{
    txtSearch->addAction(action, QLineEdit::TrailingPosition);
}

bool LibraryColumn::eventFilter(QObject *watched, QEvent *event)
{
    // Escape in the search box clears it, and with it the search.
    if (watched == txtSearch && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && !txtSearch->text().isEmpty()) {
        txtSearch->clear();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void LibraryColumn::txtSearch_Change()
{
    const QString text = trimSpaces(txtSearch->text());
    // Only text that adds to the last one may narrow what the tree shows;
    // anything else starts again from the whole library.
    if (searchNeedsRestore(LastSearchText, text))
        RestoreTree();
    LastSearchText = text;
    if (text.isEmpty()) {
        lblSearchResults->hide();
        Q_EMIT resultsLineShown(false);
    } else {
        applySearch(text);
    }
    verify();
}

void LibraryColumn::applySearch(const QString &text)
{
    FilterCounts counts;
    keepingViewState([&] { counts = filterTree(*tree, text); });
    showResults(counts);
}

void LibraryColumn::showResults(const FilterCounts &counts)
{
    lblSearchResults->setText(searchResultsCaption(counts));
    lblSearchResults->adjustSize();
    lblSearchResults->show();
    Q_EMIT resultsLineShown(true);
}

void LibraryColumn::RestoreTree()
{
    // The rebuilt tree is the last scan's: nothing is open or selected in it.
    expandedNodes.clear();
    ::RestoreTree(*tree, state.TreeSnapshot);
}

void LibraryColumn::keepingViewState(const std::function<void()> &change)
{
    // Nodes taken out by the change stay readable until the tree is cleared,
    // so holding on to them is safe; no key lookups on a large library.
    LibraryNode *current = model->nodeAt(lista->currentIndex());
    change();
    reopen(current);
}

void LibraryColumn::reopen(LibraryNode *current)
{
    const QSet<LibraryNode *> open = std::exchange(expandedNodes, {});
    for (LibraryNode *node : open) {
        if (node->inTree())
            lista->setExpanded(model->indexOf(node), true); // back into the set through expanded()
    }
    if (current && current->inTree())
        lista->setCurrentIndex(model->indexOf(current));
}

void LibraryColumn::lista_Expand(LibraryNode *node)
{
    if (!node || node->Tag == kFilterChecked)
        return;
    tree->setTag(node, kFilterChecked);
    // The artist's own songs, wherever they stand in the collection. A file
    // that cannot be read keeps its song's picture.
    std::vector<LibraryNode *> songs;
    songs.reserve(node->Children.size());
    for (LibraryNode *song : node->Children) {
        if (song->Image != NodeImage::SongWithTimestamps)
            songs.push_back(song);
    }
    filterCheck->check(state.CachePath, songs);
}

void LibraryColumn::lista_NodeCheck(LibraryNode *node)
{
    if (!node)
        return;
    for (LibraryNode *song : node->Children)
        tree->setChecked(song, node->Checked);
}

void LibraryColumn::lista_KeyUp(int key)
{
    if (key != Qt::Key_F5)
        return;
    tree->clear();
    const ScanCounts counts = ScanLibrary(nullptr, &state.TreeSnapshot);
    // A search in effect applies to the new tree too, so that the tree, the
    // results line and the search box agree.
    if (!LastSearchText.isEmpty())
        applySearch(LastSearchText);
    verify();
    Q_EMIT rescanned(counts);
}

int LibraryColumn::removeSong(const QString &songKey, int artistIndex)
{
    // The song's node by its key: a search or a rescan since the click may
    // have moved it to another position, or out of the tree.
    if (LibraryNode *song = tree->find(songKey); song && !song->hasChildren()) {
        LibraryNode *artist = song->Parent;
        artistIndex = artist ? artist->Index : song->Index;
        if (artist && artist->Children.size() <= 1)
            tree->remove(artist);
        else
            tree->remove(song);
    }
    // The counts are what the library counted: a song it does not hold
    // (gone already) takes nothing off them.
    if (const std::optional<quint8> image = state.TreeSnapshot.dropSong(songKey)) {
        --state.LyricsCount;
        if (*image == NodeImage::SongWithTimestamps)
            --state.TimestampsCount;
    }
    showCounts();
    if (lblSearchResults->isVisible())
        lblSearchResults->setText(searchResultsCaption(countTree(*tree)));
    if (state.LyricsCount == 0)
        setSearchEnabled(false);
    verify();
    return artistIndex;
}
