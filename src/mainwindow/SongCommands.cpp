#include "mainwindow/SongCommands.h"

#include "app/AppState.h"
#include "app/SongSelection.h"
#include "app/WebPage.h"
#include "library/SongNames.h"
#include "lists/ListsModel.h"
#include "mainwindow/LibraryColumn.h"
#include "app/MainLayout.h"
#include "mainwindow/SongPanel.h"
#include "platform/Platform.h"
#include "text/Cp1252.h"
#include "text/TextFile.h"
#include "widgets/ImageList.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

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
    // After the designed nine, so that their positions keep their meaning.
    {u"Music", u"Music", u"Your music files and their lyrics (Ctrl+M)", 0, false, true},
};

// Edit's pictures: a text field, and a floppy disk while editing.
constexpr int kEditPicture = 1;
constexpr int kSavePicture = 8;

bool fileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

// The characters of text the 8-bit code page has no byte for, each once.
QString unencodableCharacters(const QString &text)
{
    QString found;
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString c = text.mid(i, length);
        if (!Cp1252::canEncode(c) && !found.contains(c))
            found += c + u' ';
        i += length - 1;
    }
    return found.trimmed();
}

} // namespace

SongCommands::SongCommands(AppState &appState, Platform &desktop, ListsModel &listsModel, LibraryColumn &libraryColumn,
                           SongPanel &songPanel, QWidget &window)
    : QObject(&window), state(appState), platform(desktop), lists(listsModel), column(libraryColumn), panel(songPanel)
{
    picHolder = new QWidget(&window);
    picHolder->setObjectName(u"picHolder"_s);
    createToolbar();
}

void SongCommands::createToolbar()
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
        const QIcon icon = b.image > 0 ? ImageList::icon(b.image) : ImageList::picture(key.toLower());
        auto *action = new QAction(icon, QString::fromUtf16(b.caption), tlbMain);
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
                connect(item, &QAction::triggered, this, [this, itemKey] { tlbMain_ButtonMenuClick(itemKey); });
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

QAction *SongCommands::toolbarButton(int position) const
{
    return position >= 1 && position <= buttons.size() ? buttons[position - 1] : nullptr;
}

void SongCommands::applyLayout(const MainLayout &l)
{
    picHolder->setGeometry(l.picHolder.pixels());
    // The captions under the pictures need a little more than the designed
    // toolbar height; the holder has it.
    QRect bar = l.tlbMain.pixels();
    if (toolbarHeight == 0)
        toolbarHeight = tlbMain->sizeHint().height(); // the captions never change size
    bar.setHeight(std::clamp(toolbarHeight, bar.height(), std::max(bar.height(), picHolder->height())));
    tlbMain->setGeometry(bar);
}

bool SongCommands::eventFilter(QObject *watched, QEvent *event)
{
    // The Lists button's menu opens with the Down key too.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Down) {
        if (auto *button = qobject_cast<QToolButton *>(watched)) {
            button->showMenu();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void SongCommands::enableForArtist()
{
    for (int b : {Edit, Delete, MarkRedownload, OpenInBrowser, VisitSite, SearchKaraoke})
        toolbarButton(b)->setEnabled(false);
    toolbarButton(MarkRedownload)->setChecked(false);
}

void SongCommands::enableForSong(bool markedForRedownload)
{
    for (int b : {Edit, Delete, MarkRedownload, SearchKaraoke})
        toolbarButton(b)->setEnabled(true);
    toolbarButton(MarkRedownload)->setChecked(markedForRedownload);
}

void SongCommands::enableForSource(bool hasSource)
{
    toolbarButton(OpenInBrowser)->setEnabled(hasSource);
    toolbarButton(VisitSite)->setEnabled(hasSource);
}

void SongCommands::leaveEditMode()
{
    QAction *edit = toolbarButton(Edit);
    edit->setChecked(false);
    edit->setIcon(ImageList::icon(kEditPicture));
    panel.setEditable(false);
}

void SongCommands::tlbMain_ButtonClick(const QString &key)
{
    if (key == u"Edit")
        Edit_Click();
    else if (key == u"Delete")
        Delete_Click();
    else if (key == u"Lists")
        Q_EMIT listsWindowRequested();
    else if (key == u"MarkRedownload")
        MarkRedownload_Click();
    else if (key == u"OpenInBrowser")
        OpenWebPage(platform, state.PageUrl);
    else if (key == u"VisitSite")
        OpenWebPage(platform, u"http://"_s + state.SiteName);
    else if (key == u"SearchKaraoke")
        OpenWebPage(platform, karaokeSearchAddress(vendorSite(platform), state.SelectedArtist, state.SelectedSong));
    else if (key == u"Help")
        OpenWebPage(platform, helpAddress(vendorSite(platform)));
    else if (key == u"JoinLyrics")
        Q_EMIT joinClicked();
    else if (key == u"Music")
        Q_EMIT musicWindowRequested();
}

void SongCommands::tlbMain_ButtonMenuClick(const QString &key)
{
    if (key == u"MR")
        state.RedownloadListActive = true;
    else if (key == u"DI")
        state.RedownloadListActive = false;
    else
        return;
    Q_EMIT listsWindowRequested();
}

void SongCommands::Edit_Click()
{
    QAction *edit = toolbarButton(Edit);
    const QString path = state.SelectedPath;
    const bool leaving = !edit->isChecked() && panel.isEditable();
    // A song whose file is gone cannot be edited; text already typed is
    // still saved, the file made again.
    if (!leaving && !fileExists(path)) {
        platform.beep();
        edit->setChecked(false);
        return;
    }
    if (edit->isChecked()) {
        // Saving a box that does not hold the whole file would cut the
        // file down to what the box shows.
        if (!panel.showsWholeFile()) {
            platform.showMessage(u"The lyrics file could not be read, so it cannot be edited.\n\n"_s + path,
                                 ProgramTitle, MessageIcon::Stop);
            edit->setChecked(false);
            return;
        }
        edit->setIcon(ImageList::icon(kSavePicture));
        panel.setEditable(true);
        return;
    }
    const QString text = panel.editedText() + u"\r\n"_s;
    const WriteResult written = writeTextFile(path, text);
    if (written != WriteResult::Written) {
        // The text stays in the box, still editable, until it can be saved.
        QString message = u"Couldn't save the lyrics file"_s;
        if (written == WriteResult::Unencodable)
            message += u"\n\nThe file cannot hold these characters: "_s + unencodableCharacters(text);
        platform.showMessage(message, ProgramTitle, MessageIcon::Stop);
        edit->setChecked(true);
        return;
    }
    leaveEditMode();
    Q_EMIT songFileWritten(path.mid(state.CachePath.size()));
}

void SongCommands::Delete_Click()
{
    // The command's target, taken once: what the tree does while the song
    // leaves it must not change which song this is.
    const QString path = state.SelectedPath;
    const QString entry = selectedEntry(state);
    const int artistIndex = state.SelectedArtistIndex;
    if (!fileExists(path)) {
        platform.beep();
        return;
    }
    // The file goes first; the tree, the counts and the list follow only
    // when it is gone.
    const TrashResult trashed = platform.moveToTrash(path);
    bool gone = trashed.status == TrashResult::Trashed;
    if (trashed.status == TrashResult::NoTrash) {
        if (platform.showMessage(u"The file cannot be moved to the trash. Delete it permanently?"_s, ProgramTitle,
                                 MessageIcon::Exclamation, MessageButtons::YesNo)
            != MessageAnswer::Yes)
            return;
        gone = QFile::remove(path);
    }
    if (!gone) {
        platform.showMessage(u"Couldn't delete file. File was not found"_s, ProgramTitle, MessageIcon::Stop);
        return;
    }

    toolbarButton(Delete)->setEnabled(false);
    const QString key = path.mid(state.CachePath.size());
    const int next = column.removeSong(key, KasFileExists(path), artistIndex);
    Q_EMIT songFileRemoved(key, entry);
    Q_EMIT selectNodeAt(next);
    lists.insertAtTop(ListsModel::Which::Deleted, entry);
    if (state.LyricsCount == 0)
        toolbarButton(JoinLyrics)->setEnabled(false);
}

void SongCommands::MarkRedownload_Click()
{
    const QString entry = selectedEntry(state);
    if (toolbarButton(MarkRedownload)->isChecked())
        lists.insertAtTop(ListsModel::Which::Redownload, entry);
    else
        lists.removeAll(ListsModel::Which::Redownload, entry);
}

void SongCommands::releaseMarkRedownload()
{
    toolbarButton(MarkRedownload)->setChecked(false);
}
