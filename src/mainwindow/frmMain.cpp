#include "mainwindow/frmMain.h"

#include "app/AppState.h"
#include "app/SongSelection.h"
#include "library/LibraryScan.h"
#include "library/LibraryTree.h"
#include "library/LyricsInfo.h"
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
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>

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

void frmMain::lista_NodeClick(LibraryNode *node)
{
    if (!node)
        return;
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
