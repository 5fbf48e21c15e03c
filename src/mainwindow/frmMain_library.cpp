// The main window and the library on disk: reading it, following it while
// the downloader writes, opening another one, putting deleted songs back,
// and finding a song by its lyrics.

#include "mainwindow/frmMain.h"

#include "app/AppState.h"
#include "app/CacheFolder.h"
#include "app/TrashRestore.h"
#include "library/LibraryScan.h"
#include "library/LibraryTree.h"
#include "library/LibraryWatcher.h"
#include "library/LyricsInfo.h"
#include "lists/ListsModel.h"
#include "lyricsindex/LyricsEngine.h"
#include "lyricssearch/LyricsSearchPanel.h"
#include "mainwindow/LibraryColumn.h"
#include "mainwindow/SongPanel.h"
#include "platform/Platform.h"
#include "widgets/LibraryTreeModel.h"
#include "widgets/LibraryTreeView.h"

#include <QAction>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>

using namespace Qt::StringLiterals;

QString frmMain::libraryProblem() const
{
    return column->libraryProblem();
}

void frmMain::ScanLibrary(ScanAhead *ahead)
{
    libraryRead(column->ScanLibrary(ahead));
}

void frmMain::followLibrary(const ScanCounts &counts)
{
    // A rescan (F5) also watches the folders anew: whatever stopped being
    // watched on the way is watched again.
    if (watcher)
        watcher->watch(state.CachePath);
    libraryRead(counts);
}

void frmMain::libraryRead(const ScanCounts &counts)
{
    // A scan that finds no song leaves nothing to join; one that finds none
    // because there is no folder changes nothing.
    if (counts.FolderFound && counts.Lyrics == 0)
        toolbarButton(JoinLyrics)->setEnabled(false);
    Q_EMIT libraryChanged();
}

void frmMain::chooseCacheFolder()
{
    const QString folder = platform.chooseFolder(u"Choose the Wordhive lyrics folder"_s, state.CachePath);
    if (folder.isEmpty() || !settleUnsavedWork())
        return;
    rememberCacheFolder(platform, folder);
    UseCacheFolder(state, folder);
    // What Ctrl+Z would put back belongs to the folder left.
    deletedThisRun.clear();
    if (lyricsEngine)
        lyricsEngine->setCachePath(state.CachePath);
    // Nothing of the old library stays selected or on display.
    column->view().setCurrentIndex(QModelIndex());
    showNothingSelected();
    const ScanCounts counts = column->openLibrary();
    toolbarButton(JoinLyrics)->setEnabled(counts.Lyrics > 0);
    if (watcher)
        followDisk();
    Q_EMIT libraryChanged();
}

void frmMain::followDisk()
{
    if (!watcher) {
        watcher = new LibraryWatcher(this);
        connect(watcher, &LibraryWatcher::foldersChanged, this, &frmMain::libraryChangedOnDisk);
        connect(watcher, &LibraryWatcher::fileChanged, this, &frmMain::onSelectedFileChanged);
        connect(watcher, &LibraryWatcher::watchingLimited, this, [this](const QStringList &paths) {
            platform.showMessage(u"The system allows no more folders to be watched for changes. These are looked "
                                 u"at every %1 seconds instead:\n"_s.arg(LibraryWatcher::PollMs / 1000)
                                     + paths.join(u'\n'),
                                 ProgramTitle, MessageIcon::Exclamation);
        });
    }
    watcher->watch(state.CachePath);
    watcher->watchFile(state.SelectedPath);
}

void frmMain::libraryChangedOnDisk(const QStringList &folders)
{
    if (asking) {
        changedWhileAsking += folders;
        return;
    }
    const ScanCounts counts = column->refresh(folders);
    QAction *joinButton = toolbarButton(JoinLyrics);
    // In join mode the button stays: it is the way out of it.
    joinButton->setEnabled(joinButton->isChecked() || counts.Lyrics > 0);
    followDisplayedSong(folders);
    if (lyricsEngine)
        lyricsEngine->resync();
    Q_EMIT libraryChanged();
}

void frmMain::onSelectedFileChanged(const QString &path)
{
    if (path != state.SelectedPath)
        return;
    if (!QFileInfo::exists(path)) {
        // Renamed or removed: its folder's listing tells which.
        libraryChangedOnDisk({shownSongKey().section(u'/', 0, 0)});
        return;
    }
    // The program's own save, or a write of the same bytes, is no change.
    if (panel->diskHoldsWhatWasShown())
        return;
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

QList<bool> frmMain::restoreEntries(const QStringList &entries)
{
    const RestoreReport report = restoreFromTrash(platform, state.CachePath, entries);
    if (!report.Keys.isEmpty())
        songsRestored(report.Keys);
    if (!report.Problems.isEmpty())
        platform.showMessage(report.Problems.join(u'\n'), ProgramTitle, MessageIcon::Exclamation);
    return report.Restored;
}

void frmMain::undoDelete()
{
    if (deletedThisRun.isEmpty()) {
        platform.beep();
        return;
    }
    if (!settleUnsavedWork())
        return;
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
    if (!settleUnsavedWork())
        return;
    openSong(key);
    if (state.SelectedPath != state.CachePath + key) {
        // A song the tree has not read yet (new since it was last read).
        platform.beep();
        return;
    }
    panel->showLine(line);
}
