#include "mainwindow/frmMain.h"

#include "app/AppState.h"
#include "app/CacheFolder.h"
#include "app/SongSelection.h"
#include "library/LibraryScan.h"
#include "library/LibraryTree.h"
#include "library/LibraryWatcher.h"
#include "library/LyricsInfo.h"
#include "lyricsindex/LyricsEngine.h"
#include "lyricssearch/LyricsSearchPanel.h"
#include "lists/ListsModel.h"
#include "mainwindow/JoinMode.h"
#include "mainwindow/KaraokePanel.h"
#include "mainwindow/LibraryColumn.h"
#include "mainwindow/SongPanel.h"
#include "platform/Platform.h"
#include "widgets/Accessibility.h"
#include "widgets/DesignFonts.h"
#include "widgets/ImageList.h"
#include "widgets/LibraryTreeModel.h"
#include "widgets/LibraryTreeView.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>

#include <algorithm>

using namespace Qt::StringLiterals;

frmMain::frmMain(AppState &state, Platform &platform, ListsModel &lists, QWidget *parent)
    : QWidget(parent), state(state), platform(platform), lists(lists)
{
    Accessibility::install();
    setObjectName(u"frmMain"_s);
    setWindowTitle(ProgramTitle);
    setWindowIcon(ImageList::applicationIcon());
    setFont(DesignFonts::window());

    // The parts in the order Tab visits them: search and tree, the song's
    // heading and information, the toolbar, the karaoke editor, the lyrics.
    column = new LibraryColumn(state, platform, *this);
    picSplit = new QWidget(this);
    picSplit->setObjectName(u"picSplit"_s);
    picSplit->setAccessibleName(u"Column divider"_s);
    picSplit->setCursor(Qt::SplitHCursor);
    picSplit->installEventFilter(this);
    panel = new SongPanel(state, platform, *this);
    commands = new SongCommands(state, platform, lists, *column, *panel, *this);
    karaoke = new KaraokePanel(platform, layout, *this);
    karaoke->setNextInTabOrder(&panel->lyricsBox());
    // Before the karaoke editor is first made, and after: the lyrics come last.
    QWidget::setTabOrder(&karaoke->frame(), &panel->lyricsBox());
    join = new JoinMode(state, platform, *column, *commands->toolbarButton(JoinLyrics), this);

    connect(column, &LibraryColumn::nodeClicked, this, &frmMain::lista_NodeClick);
    connect(column, &LibraryColumn::resultsLineShown, this, [this](bool shown) {
        layout.lista.Top = shown ? MainLayout::TreeTopBelowResults : MainLayout::TreeTop;
        // The tree keeps its bottom edge instead of reaching below the
        // window until the next resize.
        layout.ArrangeHeights();
        applyLayout();
    });
    connect(column, &LibraryColumn::rescanned, this, &frmMain::followLibrary);
    connect(commands, &SongCommands::listsWindowRequested, this, &frmMain::listsWindowRequested);
    connect(commands, &SongCommands::joinClicked, join, &JoinMode::JoinLyrics_Click);
    connect(commands, &SongCommands::selectNodeAt, this, &frmMain::selectNodeAt);
    connect(karaoke, &KaraokePanel::layoutChanged, this, &frmMain::applyLayout);
    connect(panel, &SongPanel::keepChosen, this, [this] { setDiskBarShown(false); });
    connect(panel, &SongPanel::reloadChosen, this, [this] {
        setDiskBarShown(false);
        commands->leaveEditMode();
        if (QFileInfo::exists(this->state.SelectedPath))
            commands->enableForSource(panel->ShowLyrics().HasSource);
        else
            selectedSongGone();
    });
    applyColours();

    // Ctrl+Q closes the program, as on every desktop; Ctrl+F goes to the search.
    auto *quit = new QAction(this);
    quit->setShortcut(QKeySequence::Quit);
    quit->setShortcutContext(Qt::WindowShortcut);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    addAction(quit);
    auto *find = new QAction(this);
    find->setShortcut(QKeySequence::Find);
    find->setShortcutContext(Qt::WindowShortcut);
    connect(find, &QAction::triggered, column, &LibraryColumn::focusSearch);
    addAction(find);
    // Ctrl+O opens another cache folder, as the empty tree's notice offers.
    auto *open = new QAction(u"Choose cache folder\u2026"_s, this);
    open->setObjectName(u"ChooseCacheFolder"_s);
    open->setShortcut(QKeySequence::Open);
    open->setShortcutContext(Qt::WindowShortcut);
    connect(open, &QAction::triggered, this, &frmMain::chooseCacheFolder);
    addAction(open);
    column->setNoticeAction(open);
    // Ctrl+Z puts back what Delete took, the latest first.
    auto *undo = new QAction(this);
    undo->setShortcut(QKeySequence::Undo);
    undo->setShortcutContext(Qt::WindowShortcut);
    connect(undo, &QAction::triggered, this, &frmMain::undoDelete);
    addAction(undo);
    connect(commands, &SongCommands::songFileRemoved, this,
            [this](const QString &key, const QString &entry) { deletedThisRun.append({key, entry}); });
    // Ctrl+Shift+F: "Find in lyrics", once the window has a lyrics index.
    findInLyrics = new QAction(ImageList::picture(u"find-lyrics"_s), u"Find in lyrics"_s, this);
    findInLyrics->setObjectName(u"FindInLyrics"_s);
    findInLyrics->setToolTip(u"Find a song by a line of its lyrics (Ctrl+Shift+F)"_s);
    findInLyrics->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    findInLyrics->setShortcutContext(Qt::WindowShortcut);
    findInLyrics->setEnabled(false);
    findInLyrics->setVisible(false);
    connect(findInLyrics, &QAction::triggered, this, [this] { showFinder(!layout.FinderVisible); });
    addAction(findInLyrics);

    // The search box's label sizes itself to its caption; the box takes the rest.
    layout.lblSearch.Width = column->searchLabelWidthTwips();
    // Load: the designed splitter position, checked against the designed width.
    resize(Twips::toPixels(layout.ClientWidth), Twips::toPixels(layout.ClientHeight));
    DoSplit(layout.picSplit.Left);
    applyLayout();
}

frmMain::~frmMain() = default;

LibraryTree &frmMain::libraryTree()
{
    return column->libraryTree();
}

LibraryTreeModel &frmMain::libraryModel()
{
    return column->libraryModel();
}

QAction *frmMain::toolbarButton(int position) const
{
    return commands->toolbarButton(position);
}

clsKaraokeEdition &frmMain::karaokeEdition()
{
    return karaoke->karaokeEdition();
}

int frmMain::currentStamp() const
{
    return karaoke->currentStamp();
}

void frmMain::releaseMarkRedownload()
{
    commands->releaseMarkRedownload();
}

void frmMain::applyColours()
{
    // The design's colours by role, readable on the desktop's palette.
    column->applyColours();
    panel->applyColours();
    karaoke->followPalette();
}

void frmMain::ScanLibrary(ScanAhead *ahead)
{
    followLibrary(column->ScanLibrary(ahead));
}

void frmMain::followLibrary(const ScanCounts &counts)
{
    // A scan that finds no song leaves nothing to join; one that finds none
    // because there is no folder changes nothing.
    if (counts.FolderFound && counts.Lyrics == 0)
        toolbarButton(JoinLyrics)->setEnabled(false);
}

void frmMain::chooseCacheFolder()
{
    const QString folder = platform.chooseFolder(u"Choose the Wordhive lyrics folder"_s, state.CachePath);
    if (folder.isEmpty())
        return;
    rememberCacheFolder(platform, folder);
    UseCacheFolder(state, folder);
    if (lyricsEngine)
        lyricsEngine->setCachePath(state.CachePath);
    // Nothing of the old library stays selected or on display.
    column->view().setCurrentIndex(QModelIndex());
    showNothingSelected();
    const ScanCounts counts = column->openLibrary();
    toolbarButton(JoinLyrics)->setEnabled(counts.Lyrics > 0);
    if (watcher)
        followDisk();
}

void frmMain::followDisk()
{
    if (!watcher) {
        watcher = new LibraryWatcher(this);
        connect(watcher, &LibraryWatcher::foldersChanged, this, &frmMain::libraryChangedOnDisk);
        connect(watcher, &LibraryWatcher::fileChanged, this, &frmMain::onSelectedFileChanged);
    }
    watcher->watch(state.CachePath);
    watcher->watchFile(state.SelectedPath);
}

void frmMain::libraryChangedOnDisk(const QStringList &folders)
{
    const ScanCounts counts = column->refresh(folders);
    QAction *join = toolbarButton(JoinLyrics);
    // In join mode the button stays: it is the way out of it.
    join->setEnabled(join->isChecked() || counts.Lyrics > 0);
    if (!state.SelectedPath.isEmpty() && !QFileInfo::exists(state.SelectedPath))
        selectedSongGone();
    if (lyricsEngine)
        lyricsEngine->resync();
}

void frmMain::onSelectedFileChanged(const QString &path)
{
    if (path != state.SelectedPath)
        return;
    if (!QFileInfo::exists(path)) {
        selectedSongGone();
        return;
    }
    // What the user typed is never overwritten: they choose.
    if (panel->isEditable()) {
        panel->showDiskChange(u"This song's file changed on disk."_s, true);
        setDiskBarShown(true);
        return;
    }
    commands->enableForSource(panel->ShowLyrics().HasSource);
}

void frmMain::selectedSongGone()
{
    if (panel->isEditable()) {
        panel->showDiskChange(u"This song's file was removed on disk; saving makes it again."_s, true);
        setDiskBarShown(true);
        return;
    }
    column->view().setCurrentIndex(QModelIndex());
    showNothingSelected();
}

namespace {

QString restoreProblem(const RestoreResult &result, const QString &entry)
{
    switch (result.status) {
    case RestoreResult::Restored:
        return {};
    case RestoreResult::NotInTrash:
        return entry + u": Not in the trash"_s;
    case RestoreResult::TargetExists:
        return entry + u": a file of that name is in the library already; it was left as it is"_s;
    case RestoreResult::Failed:
        break;
    }
    return entry + u": could not be put back ("_s + result.reason + u')';
}

} // namespace

QList<bool> frmMain::restoreEntries(const QStringList &entries)
{
    QList<bool> restored;
    QStringList problems;
    QStringList keys;
    // The files in the trash that came from this library, by their entries.
    QStringList trashed = platform.trashedFilesFrom(state.CachePath);
    for (const QString &entry : entries) {
        auto matches = [&](Qt::CaseSensitivity cs) {
            return std::find_if(trashed.begin(), trashed.end(), [&](const QString &path) {
                return entryOfFile(QFileInfo(path).fileName()).compare(entry, cs) == 0;
            });
        };
        auto found = matches(Qt::CaseSensitive);
        if (found == trashed.end())
            found = matches(Qt::CaseInsensitive); // the tree spells an artist as first met
        if (found == trashed.end()) {
            problems << restoreProblem({RestoreResult::NotInTrash, {}}, entry);
            restored << false;
            continue;
        }
        const QString path = *found;
        const RestoreResult result = platform.restoreFromTrash(path);
        restored << (result.status == RestoreResult::Restored);
        if (result.status == RestoreResult::Restored) {
            keys << path.mid(state.CachePath.size());
            trashed.erase(found);
        } else {
            problems << restoreProblem(result, entry);
        }
    }
    if (!keys.isEmpty())
        songsRestored(keys);
    if (!problems.isEmpty())
        platform.showMessage(problems.join(u'\n'), ProgramTitle, MessageIcon::Exclamation);
    return restored;
}

void frmMain::undoDelete()
{
    if (deletedThisRun.isEmpty()) {
        platform.beep();
        return;
    }
    const DeletedSong song = deletedThisRun.takeLast();
    const RestoreResult result = platform.restoreFromTrash(state.CachePath + song.key);
    if (result.status != RestoreResult::Restored) {
        // Whatever keeps it from coming back now will keep it then too;
        // only a failure of the moment leaves it to try again.
        if (result.status == RestoreResult::Failed)
            deletedThisRun.append(song);
        platform.showMessage(restoreProblem(result, song.entry), ProgramTitle, MessageIcon::Exclamation);
        return;
    }
    const QStringList &deleted = lists.entries(ListsModel::Which::Deleted);
    if (const qsizetype at = deleted.indexOf(song.entry); at >= 0)
        lists.removePositions(ListsModel::Which::Deleted, {int(at)});
    songsRestored({song.key});
    openSong(song.key);
}

void frmMain::songsRestored(const QStringList &keys)
{
    QStringList folders;
    for (const QString &key : keys)
        folders << key.section(u'/', 0, 0);
    folders.removeDuplicates();
    libraryChangedOnDisk(folders);
    if (lyricsEngine) {
        for (const QString &key : keys)
            lyricsEngine->songChanged(key);
    }
}

void frmMain::openSong(const QString &key)
{
    LibraryNode *node = column->libraryTree().find(key);
    if (!node) {
        // The name filter hides it: the whole library again.
        column->clearSearch();
        node = column->libraryTree().find(key);
    }
    if (!node || node->hasChildren())
        return;
    LibraryTreeView &view = column->view();
    const QModelIndex index = column->libraryModel().indexOf(node);
    view.setExpanded(index.parent(), true);
    view.setCurrentIndex(index);
    view.scrollTo(index);
    lista_NodeClick(node);
}

void frmMain::setDiskBarShown(bool shown)
{
    if (!shown)
        panel->hideDiskChange();
    layout.DiskBarVisible = shown;
    applyLayout();
}

void frmMain::setLyricsEngine(LyricsEngine &engine)
{
    lyricsEngine = &engine;
    finder = new LyricsSearchPanel(engine, this);
    finder->setObjectName(u"picFindInLyrics"_s);
    finder->hide();
    connect(finder, &LyricsSearchPanel::songActivated, this, &frmMain::openMatch);
    // After the search box, before the tree.
    QWidget::setTabOrder(&column->view(), finder->findField());
    QWidget::setTabOrder(finder->findField(), finder->matchesView());
    QWidget::setTabOrder(finder->matchesView(), &column->view());

    // The index follows what the window does to the files.
    connect(commands, &SongCommands::songFileWritten, &engine, &LyricsEngine::songChanged);
    connect(commands, &SongCommands::songFileRemoved, &engine, &LyricsEngine::songRemoved);
    connect(column, &LibraryColumn::rescanned, &engine, [&engine] { engine.resync(); });

    findInLyrics->setEnabled(true);
    findInLyrics->setVisible(true);
    column->addSearchBoxAction(findInLyrics);
}

void frmMain::showFinder(bool show)
{
    if (!finder || show == layout.FinderVisible) {
        if (finder && show)
            finder->focusFind();
        return;
    }
    layout.FinderVisible = show;
    applyLayout();
    finder->setVisible(show);
    if (show)
        finder->focusFind();
    else
        column->view().setFocus(Qt::OtherFocusReason);
}

void frmMain::openMatch(const QString &key, int line)
{
    openSong(key);
    if (state.SelectedPath != state.CachePath + key) {
        // A song the tree has not read yet (new since it was last read).
        platform.beep();
        return;
    }
    panel->showLine(line);
}

void frmMain::keyPressEvent(QKeyEvent *event)
{
    // Escape in "Find in lyrics" (once its field is empty) closes it.
    if (event->key() == Qt::Key_Escape && finder && layout.FinderVisible
        && finder->isAncestorOf(QApplication::focusWidget())) {
        showFinder(false);
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmMain::lista_NodeClick(LibraryNode *node)
{
    if (!node)
        return;
    if (layout.DiskBarVisible)
        setDiskBarShown(false);
    if (node->hasChildren())
        onArtistClick(node);
    else
        onSongClick(node);
    // Every click leaves edit mode without writing anything.
    commands->leaveEditMode();
}

void frmMain::onArtistClick(LibraryNode *node)
{
    panel->showArtist(*node);
    LibraryTreeView &view = column->view();
    if (view.mouseIsDown()) {
        const QModelIndex index = column->libraryModel().indexOf(node);
        view.setExpanded(index, !view.isExpanded(index));
    }
    state.SelectedPath.clear();
    karaoke->setLyricsPath(QString());
    commands->enableForArtist();
    karaoke->ShowKaraokeEditionFrame(false);
}

void frmMain::onSongClick(LibraryNode *node)
{
    SelectSong(state, *node);
    if (watcher)
        watcher->watchFile(state.SelectedPath);
    panel->showSongHeading();
    ShowLyrics();

    const QString entry = selectedEntry(state);
    const QStringList &redownload = lists.entries(ListsModel::Which::Redownload);
    int matched = -1;
    for (int i = 0; i < redownload.size(); ++i) {
        if (redownload[i] == entry)
            matched = i;
    }
    commands->enableForSong(matched >= 0);
    if (matched >= 0)
        Q_EMIT redownloadEntryMatched(matched);
}

void frmMain::ShowLyrics()
{
    const LyricsInfo info = panel->ShowLyrics();
    if (state.HasTimestamps)
        karaoke->LoadTimestamps(state.SelectedPath);
    else
        karaoke->ShowKaraokeEditionFrame(false);
    commands->enableForSource(info.HasSource);
}

void frmMain::showNothingSelected()
{
    if (layout.DiskBarVisible)
        setDiskBarShown(false);
    if (watcher)
        watcher->watchFile(QString());
    panel->showNothing();
    state.SelectedPath.clear();
    karaoke->setLyricsPath(QString());
    commands->enableForArtist();
    karaoke->ShowKaraokeEditionFrame(false);
    commands->leaveEditMode();
}

void frmMain::selectNodeAt(int position)
{
    LibraryTreeView &view = column->view();
    if (LibraryNode *next = column->libraryTree().node(position)) {
        view.setCurrentIndex(column->libraryModel().indexOf(next));
        lista_NodeClick(next);
    } else {
        // Nothing took the song's place: the panel must not go on showing
        // a song that is gone, with commands that would act on it.
        view.setCurrentIndex(QModelIndex());
        showNothingSelected();
    }
}

// Layout, splitter and the window's own events.

void frmMain::applyLayout()
{
    column->applyLayout(layout);
    picSplit->setGeometry(layout.picSplit.pixels());
    panel->applyLayout(layout);
    commands->applyLayout(layout);
    karaoke->applyLayout(layout);
    if (finder)
        finder->setGeometry(layout.finder().pixels());
}

void frmMain::syncClientSize()
{
    layout.ClientWidth = Twips::fromPixels(width());
    layout.ClientHeight = Twips::fromPixels(height());
}

void frmMain::arrangeColumns()
{
    layout.ArrangeColumns();
    applyLayout();
}

void frmMain::DoSplit(double x)
{
    syncClientSize();
    if (layout.DoSplit(x))
        applyLayout();
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    syncClientSize();
    layout.ArrangeHeights();
    karaoke->UpdateKaraokeScroll();
    layout.ArrangeRightWidths();
    applyLayout();
}

void frmMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Being shown the first time counts as being activated, also where the
    // desktop does not activate new windows.
    arrangeColumns();
}

void frmMain::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ApplicationPaletteChange)
        applyColours();
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        arrangeColumns();
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == picSplit) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            picSplit_MouseDown(static_cast<QMouseEvent *>(event)->position().x());
            return true;
        case QEvent::MouseMove:
            picSplit_MouseMove(static_cast<QMouseEvent *>(event)->position().x());
            return true;
        case QEvent::MouseButtonRelease:
            picSplit_MouseUp();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmMain::picSplit_MouseDown(double x)
{
    SplitDragging = true;
    SplitGrabX = float(Twips::fromPixels(1) * x);
}

void frmMain::picSplit_MouseMove(double x)
{
    // The bar keeps the moves while the button is held; the grabbed point
    // stays under the pointer.
    if (SplitDragging)
        DoSplit(Twips::fromPixels(1) * x - SplitGrabX + layout.picSplit.Left);
}

void frmMain::picSplit_MouseUp()
{
    SplitDragging = false;
}

void frmMain::applySettings(const WindowSettings &settings)
{
    QList<QRect> screens;
    if (QScreen *primary = QGuiApplication::primaryScreen())
        screens.append(primary->availableGeometry());
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen())
            screens.append(screen->availableGeometry());
    }
    const WindowPlacement placement = placeWindow(settings, screens);
    layout.picSplit.Left = placement.SplitPos;
    if (placement.Maximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        // Before the window is first shown: its frame goes to the stored
        // place, its inside gets the stored size.
        move(placement.Geometry.topLeft());
        resize(placement.Geometry.size());
    }
    applyLayout();
}

WindowSettings frmMain::currentSettings() const
{
    // The frame's place and the inside's size, as applySettings takes them
    // back: the desktop's decorations are unknown until the window is shown.
    WindowSettings s;
    s.FrmTop = float(Twips::fromPixels(pos().y()));
    s.FrmLeft = float(Twips::fromPixels(pos().x()));
    s.FrmWidth = float(Twips::fromPixels(width()));
    s.FrmHeight = float(Twips::fromPixels(height()));
    s.SplitPos = float(layout.picSplit.Left);
    s.FrmMaximized = isMaximized();
    return s;
}

void frmMain::closeEvent(QCloseEvent *event)
{
    Q_EMIT unloading();
    event->accept();
}
