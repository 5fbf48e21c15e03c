// The main window and what its right column shows: one way to show a song,
// an artist or nothing, whatever asked for it (a click, Delete, Ctrl+Z, a
// lyrics match, another library, a change on disk, closing the window), and
// never at the cost of text typed or stamps edited that are not on disk.

#include "mainwindow/frmMain.h"

#include "app/AppState.h"
#include "app/SongSelection.h"
#include "library/LibraryTree.h"
#include "library/LibraryWatcher.h"
#include "library/LyricsInfo.h"
#include "lists/ListsModel.h"
#include "mainwindow/KaraokePanel.h"
#include "mainwindow/LibraryColumn.h"
#include "mainwindow/SongPanel.h"
#include "platform/FileIdentity.h"
#include "platform/Platform.h"
#include "widgets/LibraryTreeModel.h"
#include "widgets/LibraryTreeView.h"

#include <QFileInfo>
#include <QScopedValueRollback>
#include <QTimer>

using namespace Qt::StringLiterals;

bool frmMain::settleUnsavedWork()
{
    const bool typed = panel->hasUnsavedEdits();
    const bool stamped = karaoke->hasUnsavedChanges();
    if (!typed && !stamped)
        return true;
    if (asking)
        return false;
    MessageAnswer answer;
    {
        const QScopedValueRollback<bool> modal(asking, true);
        answer = platform.showMessage(u"Save the changes to %1?"_s.arg(selectedEntry(state)), ProgramTitle,
                                      MessageIcon::Question, MessageButtons::SaveDiscardCancel);
    }
    // Changes on disk told while the question was up are taken in now.
    if (!changedWhileAsking.isEmpty())
        QTimer::singleShot(0, this, [this] { libraryChangedOnDisk(std::exchange(changedWhileAsking, {})); });
    if (answer == MessageAnswer::Cancel)
        return false;
    if (answer == MessageAnswer::Save) {
        // A save that fails has said why; the work stays where it is.
        if ((typed && !commands->saveEdits()) || (stamped && !karaoke->saveTimestamps()))
            return false;
    } else {
        panel->discardEdits();
        karaoke->forgetChanges();
    }
    commands->leaveEditMode();
    return true;
}

bool frmMain::showOnDisplay(LibraryNode *node)
{
    if (!settleUnsavedWork()) {
        putBackCurrentRow();
        return false;
    }
    if (layout.DiskBarVisible)
        setDiskBarShown(false);
    shownCache = node;
    if (node && !node->hasChildren()) {
        onSongClick(node);
    } else {
        if (watcher)
            watcher->watchFile(QString());
        if (node)
            onArtistClick(node);
        else
            panel->showNothing();
        state.SelectedPath.clear();
        karaoke->setLyricsPath(QString());
        commands->enableForArtist();
        karaoke->ShowKaraokeEditionFrame(false);
    }
    // Whatever was typed is on disk now or was dropped by the user's choice.
    commands->leaveEditMode();
    return true;
}

void frmMain::putBackCurrentRow()
{
    // After the view has done with the event that moved its row: a mouse
    // press goes on to select the row it hit once the row has moved.
    QTimer::singleShot(0, this, [this] {
        LibraryNode *shown = state.SelectedPath.isEmpty()
                                 ? nullptr
                                 : column->libraryTree().find(QStringView(state.SelectedPath).mid(state.CachePath.size()));
        column->view().setCurrentIndex(shown ? column->libraryModel().indexOf(shown) : QModelIndex());
    });
}

void frmMain::lista_NodeClick(LibraryNode *node)
{
    if (node)
        showOnDisplay(node);
}

void frmMain::onArtistClick(LibraryNode *node)
{
    panel->showArtist(*node);
    LibraryTreeView &view = column->view();
    if (view.mouseIsDown()) {
        const QModelIndex index = column->libraryModel().indexOf(node);
        view.setExpanded(index, !view.isExpanded(index));
    }
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
    column->view().setCurrentIndex(QModelIndex());
    showOnDisplay(nullptr);
}

void frmMain::selectNodeAt(int position)
{
    // Nothing may take the song's place: the panel must not go on showing
    // a song that is gone, with commands that would act on it.
    LibraryNode *next = column->libraryTree().node(position);
    column->view().setCurrentIndex(next ? column->libraryModel().indexOf(next) : QModelIndex());
    showOnDisplay(next);
}

QString frmMain::shownSongKey() const
{
    return state.SelectedPath.isEmpty() ? QString() : state.SelectedPath.mid(state.CachePath.size());
}

void frmMain::followDisplayedSong(const QStringList &folders)
{
    if (!state.SelectedPath.isEmpty() && !QFileInfo::exists(state.SelectedPath) && !followRename(folders)) {
        selectedSongGone();
        return;
    }
    LibraryNode *shown = findShownNode();
    if (!state.SelectedPath.isEmpty()) {
        if (shown && shown->Parent)
            state.SelectedArtistIndex = shown->Parent->Index;
    } else if (!panel->artistKeyShown().isEmpty()) {
        // An artist on display says how many songs it has now, or goes.
        if (!shown) {
            showNothingSelected();
            return;
        }
        panel->showArtist(*shown);
    }
    markShownRow(shown);
}

void frmMain::markShownRow(LibraryNode *shown)
{
    // The tree's current row is what the panel shows, wherever a change of
    // the tree put it, as long as the tree has it; an artist the change
    // left closed stays closed, the view where it is.
    LibraryTreeView &view = column->view();
    if (!shown || !shown->inTree() || column->libraryModel().nodeAt(view.currentIndex()) == shown)
        return;
    view.setAutoScroll(false);
    view.setCurrentIndex(column->libraryModel().indexOf(shown));
    view.setAutoScroll(true);
}

LibraryNode *frmMain::findShownNode()
{
    if (!state.SelectedPath.isEmpty())
        shownCache = column->libraryTree().find(shownSongKey());
    else if (const QString artist = panel->artistKeyShown(); !artist.isEmpty())
        shownCache = column->artistNode(artist);
    else
        shownCache = nullptr;
    return shownCache;
}

bool frmMain::followRename(const QStringList &folders)
{
    const QString own = shownSongKey().section(u'/', 0, 0);
    const QString renamed = findFileByIdentity(state.CachePath, QStringList(own) + folders, panel->shownFile());
    if (renamed.isEmpty())
        return false;
    LibraryNode *song = column->libraryTree().find(renamed);
    if (!song) {
        // The name filter hides its new name: the whole library again.
        column->clearSearch();
        song = column->libraryTree().find(renamed);
    }
    if (!song || song->hasChildren())
        return false;
    SelectSong(state, *song);
    shownCache = song;
    if (watcher)
        watcher->watchFile(state.SelectedPath);
    karaoke->setLyricsPath(state.SelectedPath);
    panel->showRenamed();
    return true;
}
