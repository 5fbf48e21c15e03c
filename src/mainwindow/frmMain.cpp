#include "mainwindow/frmMain.h"

#include "app/Accessibility.h"
#include "app/AppState.h"
#include "app/ImageList.h"
#include "app/Readability.h"
#include "app/SpokenLabel.h"
#include "app/Twips.h"
#include "library/LibraryScan.h"
#include "library/LibraryTree.h"
#include "karaoke/clsKaraokeEdition.h"
#include "library/LibraryTreeModel.h"
#include "mainwindow/LibraryTreeView.h"
#include "mainwindow/LinedLabel.h"
#include "platform/Platform.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

QFont arial(double points, bool bold = false)
{
    QFont font(u"Arial"_s);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

struct ButtonDesign
{
    const char16_t *key;
    const char16_t *caption;
    const char16_t *tooltip;
    int image;
    bool checkable;
    bool enabled;
};

constexpr ButtonDesign kButtons[] = {
    {u"Edit", u"Edit", u"Edit this lyrics", 1, true, false},
    {u"Delete", u"Delete", u"Delete this Lyrics", 2, false, false},
    {u"MarkRedownload", u"+ Redown", u"Mark this lyrics as needed for Redownload", 3, true, false},
    {u"Lists", u"Lists", u"View lyrics deleted and marked for redownload", 4, false, true},
    {u"OpenInBrowser", u"Browser", u"View this lyrics in its original webpage", 5, false, false},
    {u"VisitSite", u"Visit Site", u"Visit the site where this lyrics where downloaded", 6, false, false},
    {u"SearchKaraoke", u"Search Kar", u"Search for timestamps for this song", 7, false, false},
    {u"JoinLyrics", u"Join Lyrics", u"Click here for joining lyrics into a single file", 12, true, true},
    {u"Help", u"Help", u"Learn how to use Stanzabox features", 13, false, true},
};

} // namespace

frmMain::frmMain(AppState &state, Platform &platform, ListsModel &lists, QWidget *parent)
    : QWidget(parent), state(state), platform(platform), lists(lists)
{
    Accessibility::install();
    setObjectName(u"frmMain"_s);
    setWindowTitle(u"Wordhive Stanzabox"_s);
    setWindowIcon(ImageList::applicationIcon());
    setFont(arial(8.25));

    // Ctrl+Q closes the program, as on every desktop; Ctrl+F goes to the search.
    auto *quit = new QAction(this);
    quit->setShortcut(QKeySequence::Quit);
    quit->setShortcutContext(Qt::WindowShortcut);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    addAction(quit);
    auto *find = new QAction(this);
    find->setShortcut(QKeySequence::Find);
    find->setShortcutContext(Qt::WindowShortcut);
    connect(find, &QAction::triggered, this, [this] {
        txtSearch->setFocus(Qt::ShortcutFocusReason);
        txtSearch->selectAll();
    });
    addAction(find);

    tree = new LibraryTree(this);
    model = new LibraryTreeModel(*tree, this);
    // Every node is freed: none of them is open any more.
    connect(tree, &LibraryTree::cleared, this, [this] { expandedNodes.clear(); });
    createControls();

    // The label sizes itself to its caption; the search box takes the rest.
    lblSearch->adjustSize();
    layout.lblSearch.Width = Twips::fromPixels(lblSearch->width());

    // Load: the designed splitter position, checked against the designed width.
    LastSearchLength = 0;
    resize(Twips::toPixels(layout.ClientWidth), Twips::toPixels(layout.ClientHeight));
    DoSplit(layout.picSplit.Left);
    applyLayout();
}

frmMain::~frmMain() = default;

void frmMain::createControls()
{
    const QFont heading = arial(18);

    lblCount = new SpokenLabel(this);
    lblCount->setObjectName(u"lblCount"_s);
    lblCount->setFont(heading);
    lblCount->setAutoFillBackground(true);
    lblCount->setForegroundRole(QPalette::HighlightedText);
    lblCount->setBackgroundRole(QPalette::Shadow);
    lblCount->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lblSearch = new QLabel(u"Search:"_s, this);
    lblSearch->setObjectName(u"lblSearch"_s);

    txtSearch = new QLineEdit(this);
    txtSearch->setObjectName(u"txtSearch"_s);
    txtSearch->setAccessibleName(u"Search"_s);
    txtSearch->setPlaceholderText(u"Artist or song"_s);
    lblSearch->setBuddy(txtSearch);
    connect(txtSearch, &QLineEdit::textChanged, this, [this] { txtSearch_Change(); });

    lblSearchResults = new SpokenLabel(this);
    lblSearchResults->setText(u"{10 artists} {30 songs}"_s);
    lblSearchResults->setObjectName(u"lblSearchResults"_s);
    QFont georgia(u"Georgia"_s);
    georgia.setPointSizeF(9.75);
    lblSearchResults->setFont(georgia);
    lblSearchResults->setForegroundRole(QPalette::Highlight);
    lblSearchResults->hide();

    lista = new LibraryTreeView(this);
    lista->setObjectName(u"lista"_s);
    lista->setAccessibleName(u"Library"_s);
    lista->setModel(model);
    connect(lista, &LibraryTreeView::nodeClicked, this,
            [this](const QModelIndex &index) { lista_NodeClick(model->nodeAt(index)); });
    connect(lista, &QTreeView::expanded, this,
            [this](const QModelIndex &index) { lista_Expand(model->nodeAt(index)); });
    connect(lista, &LibraryTreeView::keyReleased, this, [this](int key) { lista_KeyUp(key); });
    connect(lista, &QTreeView::expanded, this, [this](const QModelIndex &index) {
        expandedNodes.insert(model->nodeAt(index));
    });
    connect(lista, &QTreeView::collapsed, this, [this](const QModelIndex &index) {
        expandedNodes.remove(model->nodeAt(index));
    });
    connect(model, &LibraryTreeModel::nodeCheckChanged, this,
            [this](LibraryNode *node) { lista_NodeCheck(node); });

    picSplit = new QWidget(this);
    picSplit->setObjectName(u"picSplit"_s);
    picSplit->setAccessibleName(u"Column divider"_s);
    picSplit->setCursor(Qt::SplitHCursor);
    picSplit->installEventFilter(this);

    LblSong = new SpokenLabel(this);
    LblSong->setObjectName(u"LblSong"_s);
    LblSong->setFont(heading);
    LblSong->setAutoFillBackground(true);
    LblSong->setForegroundRole(QPalette::HighlightedText);
    LblSong->setBackgroundRole(QPalette::Mid);
    LblSong->setTextInteractionFlags(Qt::TextSelectableByMouse);

    picInfo = new QWidget(this);
    picInfo->setObjectName(u"picInfo"_s);
    picInfo->setAccessibleName(u"Song information"_s);
    const QFont info = arial(9.75);
    lblInfoTitles = new LinedLabel(picInfo);
    lblInfoTitles->setLinePitch(Twips::toPixels(240));
    lblInfoTitles->setObjectName(u"lblInfoTitles"_s);
    lblInfoTitles->setFont(info);
    lblInfoTitles->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblInfoTitles->setGeometry(TwipsRect{120, 0, 2175, 1455}.pixels());

    struct ValueLabel
    {
        QLabel **label;
        const char16_t *name;
        const char16_t *title; // its line of lblInfoTitles, said with the value
        double left;
        double top;
    };
    const ValueLabel values[] = {
        {&lblArtist, u"lblArtist", u"Artist", 720, 0},
        {&lblSong2, u"lblSong2", u"Song", 720, 240},
        {&lblKaraoke, u"lblKaraoke", u"Karaoke", 960, 480},
        {&lblWebsite, u"lblWebsite", u"Website", 960, 720},
        {&lblBrowser, u"lblBrowser", u"Downloaded from", 1710, 960},
        {&lblFilter, u"lblFilter", u"Filter", 720, 1200},
    };
    for (const ValueLabel &v : values) {
        auto *label = new SpokenLabel(picInfo);
        label->setObjectName(QString::fromUtf16(v.name));
        label->setSpokenTitle(QString::fromUtf16(v.title));
        label->setFont(info);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->move(Twips::toPixels(v.left), Twips::toPixels(v.top));
        label->setFixedHeight(Twips::toPixels(240));
        *v.label = label;
    }

    picHolder = new QWidget(this);
    picHolder->setObjectName(u"picHolder"_s);
    createToolbar();
    txtSearch->installEventFilter(this);
    applyColours();

    frmKaraoke = new QGroupBox(u"Karaoke Editor"_s, this);
    frmKaraoke->setObjectName(u"frmKaraoke"_s);
    frmKaraoke->setAccessibleName(u"Karaoke Editor"_s);
    frmKaraoke->hide();
    // Its buttons and rows come with the first song that has timestamps.

    lyrics = new QPlainTextEdit(this);
    lyrics->setObjectName(u"lyrics"_s);
    lyrics->setAccessibleName(u"Lyrics"_s);
    lyrics->setFont(info);
    lyrics->setPlaceholderText(NoSongHint);
    setLyricsEditable(false);
    lyrics->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void frmMain::createToolbar()
{
    tlbMain = new QToolBar(picHolder);
    tlbMain->setObjectName(u"tlbMain"_s);
    tlbMain->setAccessibleName(u"Song commands"_s);
    tlbMain->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tlbMain->setIconSize(QSize(16, 16));
    tlbMain->setFloatable(false);
    tlbMain->setMovable(false);

    for (const ButtonDesign &b : kButtons) {
        const QString key = QString::fromUtf16(b.key);
        auto *action = new QAction(ImageList::icon(b.image), QString::fromUtf16(b.caption), tlbMain);
        action->setObjectName(key);
        action->setToolTip(QString::fromUtf16(b.tooltip));
        action->setCheckable(b.checkable);
        action->setEnabled(b.enabled);
        if (key == u"Lists") {
            auto *menu = new QMenu(tlbMain);
            menu->setObjectName(u"ListsMenu"_s);
            for (const auto &[itemKey, caption] : {std::pair{u"MR"_s, u"Marked for Redownload"_s},
                                                   std::pair{u"DI"_s, u"Deleted Items"_s}}) {
                QAction *item = menu->addAction(caption);
                item->setObjectName(itemKey);
                connect(item, &QAction::triggered, this,
                        [this, itemKey] { tlbMain_ButtonMenuClick(itemKey); });
            }
            action->setMenu(menu);
        }
        connect(action, &QAction::triggered, this, [this, key] { tlbMain_ButtonClick(key); });
        tlbMain->addAction(action);
        if (auto *button = qobject_cast<QToolButton *>(tlbMain->widgetForAction(action))) {
            button->setObjectName(key);
            // Reachable with Tab like any other control.
            button->setFocusPolicy(Qt::TabFocus);
            if (action->menu()) {
                button->setPopupMode(QToolButton::MenuButtonPopup);
                button->installEventFilter(this);
            }
        }
        buttons.append(action);
    }
}

void frmMain::setLyricsEditable(bool editable)
{
    lyrics->setReadOnly(!editable);
    // Read-only, the text can still be reached, scrolled and copied with
    // the keyboard.
    if (!editable)
        lyrics->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    lyrics->setFocusPolicy(Qt::StrongFocus);
}

void frmMain::applyColours()
{
    // The design's colours by role, readable on the desktop's palette.
    Readability::apply(lblCount, QPalette::HighlightedText, QPalette::Shadow);
    Readability::apply(LblSong, QPalette::HighlightedText, QPalette::Mid);
    Readability::apply(lblSearchResults, QPalette::Highlight, QPalette::Window);
    if (KaraokeEdition)
        KaraokeEdition->followPalette();
}

QString frmMain::libraryNotice(const ScanCounts &counts)
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

QAction *frmMain::toolbarButton(int position) const
{
    return position >= 1 && position <= buttons.size() ? buttons[position - 1] : nullptr;
}

void frmMain::ScanLibrary()
{
    state.LyricsCount = 0;
    state.TimestampsCount = 0;
    const ScanCounts counts = scanCacheFolder(state.CachePath, *tree);
    // An empty tree says why it is empty.
    lista->setNotice(libraryNotice(counts));
    if (!counts.FolderFound)
        return;
    state.LyricsCount = counts.Lyrics;
    state.TimestampsCount = counts.Timestamps;
    if (state.LyricsCount == 0) {
        toolbarButton(JoinLyrics)->setEnabled(false);
        txtSearch->setEnabled(false);
    }
    lblCount->setText(countsCaption(state.LyricsCount, state.TimestampsCount));
    if (!counts.Unreadable.isEmpty()) {
        // Songs may be missing from the tree: say where, rather than show
        // a library smaller than it is without a word.
        platform.showMessage(u"These letter folders of the library could not be read: "_s
                                 + counts.Unreadable.join(u", "_s) + u"\n\n"_s + state.CachePath,
                             u"Wordhive Stanzabox"_s, MessageIcon::Exclamation);
    }
    platform.processPendingEvents();
    if (state.LyricsCount > 0)
        state.TreeSnapshot = TakeTreeSnapshot(*tree);
}

