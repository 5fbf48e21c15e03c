#include "mainwindow/frmMain.h"

#include "app/AppState.h"
#include "app/CacheFolder.h"
#include "app/SongSelection.h"
#include "app/TrashRestore.h"
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

frmMain::frmMain(AppState &appState, Platform &desktop, ListsModel &listsModel, QWidget *parent)
    : QWidget(parent), state(appState), platform(desktop), lists(listsModel)
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

    connectParts();
    applyColours();
    addShortcuts();

    // The search box's label sizes itself to its caption; the box takes the rest.
    layout.lblSearch.Width = column->searchLabelWidthTwips();
    // Load: the designed splitter position, checked against the designed width.
    resize(Twips::toPixels(layout.ClientWidth), Twips::toPixels(layout.ClientHeight));
    DoSplit(layout.picSplit.Left);
    applyLayout();
}

frmMain::~frmMain() = default;

void frmMain::connectParts()
{
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
    connect(commands, &SongCommands::musicWindowRequested, this, &frmMain::musicWindowRequested);
    connect(commands, &SongCommands::songFileRemoved, this, &frmMain::libraryChanged);
    connect(commands, &SongCommands::joinClicked, join, &JoinMode::JoinLyrics_Click);
    connect(commands, &SongCommands::selectNodeAt, this, &frmMain::selectNodeAt);
    connect(karaoke, &KaraokePanel::layoutChanged, this, &frmMain::applyLayout);
    connect(column, &LibraryColumn::rescanned, this, [this] { followDisplayedSong({}); });
    commands->setLeaveCheck([this] { return settleUnsavedWork(); });
    connect(panel, &SongPanel::keepChosen, this, [this] {
        setDiskBarShown(false);
        panel->keepEdits();
    });
    connect(panel, &SongPanel::reloadChosen, this, [this] {
        setDiskBarShown(false);
        commands->leaveEditMode();
        if (QFileInfo::exists(this->state.SelectedPath))
            commands->enableForSource(panel->ShowLyrics().HasSource);
        else
            selectedSongGone();
    });
}

template<typename Receiver, typename Slot>
void frmMain::addShortcut(QAction *action, const QKeySequence &keys, Receiver *receiver, Slot slot)
{
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, receiver, slot);
    addAction(action);
}

void frmMain::addShortcuts()
{
    // Ctrl+Q closes the program, as on every desktop; Ctrl+F goes to the search.
    addShortcut(new QAction(this), QKeySequence::Quit, this, &QWidget::close);
    addShortcut(new QAction(this), QKeySequence::Find, column, &LibraryColumn::focusSearch);
    // Ctrl+O opens another cache folder, as the empty tree's notice offers.
    auto *open = new QAction(u"Choose cache folder\u2026"_s, this);
    open->setObjectName(u"ChooseCacheFolder"_s);
    addShortcut(open, QKeySequence::Open, this, &frmMain::chooseCacheFolder);
    column->setNoticeAction(open);
    // Ctrl+Z puts back what Delete took, the latest first; in the search
    // box too, once the box has nothing of its own to undo.
    addShortcut(new QAction(this), QKeySequence::Undo, this, &frmMain::undoDelete);
    searchBox = findChild<QLineEdit *>(u"txtSearch"_s);
    searchBox->installEventFilter(this);
    // A search that rebuilt the tree leaves no row current: the one on display is.
    connect(searchBox, &QLineEdit::textChanged, this, [this] { markShownRow(shownCache); });
    connect(&column->libraryTree(), &LibraryTree::cleared, this, [this] { shownCache = nullptr; });
    // Ctrl+M: the Music window, as its toolbar button.
    addShortcut(new QAction(this), QKeySequence(Qt::CTRL | Qt::Key_M), this, &frmMain::musicWindowRequested);
    connect(commands, &SongCommands::songFileRemoved, this,
            [this](const QString &key, const QString &entry) { deletedThisRun.append({key, entry}); });
    // Ctrl+Shift+F: "Find in lyrics", once the window has a lyrics index.
    findInLyrics = new QAction(ImageList::picture(u"find-lyrics"_s), u"Find in lyrics"_s, this);
    findInLyrics->setObjectName(u"FindInLyrics"_s);
    findInLyrics->setToolTip(u"Find a song by a line of its lyrics (Ctrl+Shift+F)"_s);
    findInLyrics->setEnabled(false);
    findInLyrics->setVisible(false);
    addShortcut(findInLyrics, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), this,
                [this] { showFinder(!layout.FinderVisible); });
}


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

void frmMain::setKaraokeMusic(const KaraokeMusic &music)
{
    karaoke->setMusic(music);
}

void frmMain::musicFilesChanged()
{
    karaoke->musicFilesChanged();
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
    if (watched == searchBox && event->type() == QEvent::ShortcutOverride
        && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Undo) && !searchBox->isUndoAvailable()) {
        // Not the box's: the window's own Ctrl+Z takes it.
        event->ignore();
        return true;
    }
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
    if (!showOnDisplay(nullptr)) {
        event->ignore();
        return;
    }
    Q_EMIT unloading();
    event->accept();
}
