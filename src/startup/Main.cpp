#include "startup/Main.h"

#include "app/CacheFolder.h"
#include "app/Manifest.h"
#include "app/MusicFolder.h"
#include "app/WindowSettings.h"
#include "library/LibraryScan.h"
#include "listswindow/frmlists.h"
#include "mainwindow/frmMain.h"
#include "music/MusicLibrary.h"
#include "musicwindow/frmMusic.h"
#include "playback/SongPlayerModule.h"
#include "lyricsindex/LyricsEngine.h"
#include "platform/Platform.h"

#include <QFileInfo>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// The player, loaded on the first Play; where it cannot be, the user is told why.
std::unique_ptr<SongPlayer> playerOrWhyNot(Platform &platform)
{
    QString error;
    std::unique_ptr<SongPlayer> player = loadSongPlayer(&error);
    if (!player)
        platform.showMessage(u"Music cannot be played: Qt Multimedia could not be loaded.\n\n%1"_s.arg(error),
                             u"Stanzabox"_s, MessageIcon::Stop);
    return player;
}

} // namespace

Main::Main(Platform &desktop, QObject *parent) : QObject(parent), platform(desktop) {}

Main::~Main() = default;

QString Main::listsFolder() const
{
    return listsModel.folder();
}

void Main::run(const StartOptions &options)
{
    const bool manifestDue = StartCommonControls(platform);
    appState.RedownloadListActive = true;
    const bool cacheGiven = findCacheFolder(options);
    // The cache folder the start-up will settle on is known now, though it
    // is set only after the windows are made: its letter folders are read
    // on a thread of their own meanwhile. Should settings.txt say otherwise
    // by then, the scan reads the folder it names.
    const QString settled = cacheGiven ? appState.CachePath
                                       : cacheFolderOf(appState.InstallPath, [this](const QString &path) {
                                             return platform.nativePath(path);
                                         });
    std::unique_ptr<ScanAhead> ahead;
    if (!settled.isEmpty())
        ahead = std::make_unique<ScanAhead>(settled);

    mainForm = std::make_unique<frmMain>(appState, platform, listsModel);
    connect(mainForm.get(), &frmMain::unloading, this, &Main::shutDown);
    connect(mainForm.get(), &frmMain::listsWindowRequested, this, &Main::showListsWindow);
    connect(mainForm.get(), &frmMain::musicWindowRequested, this, &Main::showMusicWindow);
    connect(mainForm.get(), &frmMain::libraryChanged, this, [this] {
        if (music)
            music->songsChanged();
    });
    musicFolder = options.musicFolder.isEmpty() ? musicFolderSetting(platform) : options.musicFolder;
    mainForm->setKaraokeMusic({[this](const QString &lyricsPath) { return musicFileFor(lyricsPath); },
                               [this] { return playerOrWhyNot(platform); }});
    connect(mainForm.get(), &frmMain::redownloadEntryMatched, this, [this](int position) {
        if (listsForm)
            listsForm->selectRedownloadEntry(position);
        else
            pendingRedownloadSelection = position;
    });
    // The lists window is made when it is first shown: nothing of it can be
    // seen before, and the main window comes up sooner without it.
    loadLists();

    // The stored window values are read before settings.txt and applied after it.
    const WindowSettings settings = readWindowSettings(platform);
    if (!cacheGiven)
        ReadCachePathSetting(appState, platform);
    mainForm->applySettings(settings);

    // Watched before the scan is taken: only a song written between a
    // folder's listing and its watch can go unseen until the next change
    // there (watching after the scan left the whole scan open), and the
    // watches are made while the letter folders are still being read.
    mainForm->followDisk();
    mainForm->ScanLibrary(ahead.get());
    if (manifestDue)
        WriteManifest(platform);
    mainForm->show();

    // The lyrics index is brought up to date in the background once the
    // window is up; the window never waits for it.
    if (!lyricsIndexFolder.isEmpty()) {
        QTimer::singleShot(0, this, [this, folder = lyricsIndexFolder] {
            lyricsEngine = std::make_unique<LyricsEngine>(folder);
            lyricsEngine->setCachePath(appState.CachePath);
            mainForm->setLyricsEngine(*lyricsEngine);
        });
    }
}

bool Main::findCacheFolder(const StartOptions &options)
{
    if (!options.cacheFolder.isEmpty()) {
        UseCacheFolder(appState, options.cacheFolder);
        return true;
    }
    ReadInstallPath(appState, platform);
    if (!appState.InstallPath.isEmpty())
        return false;
    // No downloader: the folder the user chose the last time, if it is still there.
    const QString chosen = rememberedCacheFolder(platform);
    if (chosen.isEmpty() || !QFileInfo(chosen).isDir())
        return false;
    UseCacheFolder(appState, chosen);
    return true;
}

void Main::loadLists()
{
    // Told once per run: every later change would fail the same way.
    connect(&listsModel, &ListsModel::saveFailed, this, [this](const QString &path) {
        if (listSaveReported)
            return;
        listSaveReported = true;
        platform.showMessage(u"Couldn't save the list file "_s + path
                                 + u"\n\nThe lists are kept while Stanzabox runs."_s,
                             ProgramTitle, MessageIcon::Stop);
    });

    // Loading happens once, so each unreadable list is told once.
    connect(&listsModel, &ListsModel::loadFailed, this, [this](const QString &path) {
        platform.showMessage(u"Couldn't read the list file "_s + path
                                 + u"\n\nThe file is left as it is: this list will not be saved this run. "
                                   u"Entries added to it are kept only while Stanzabox runs."_s,
                             ProgramTitle, MessageIcon::Stop);
    });

    // Chosen once: the program's folder, or the user's own where that is not writable.
    listsModel.setFolder(chooseListsFolder(platform.programFolder(), platform.userDataFolder()));
    listsModel.LoadLists();
}

frmlists &Main::listsWindow()
{
    if (!listsForm) {
        listsForm = std::make_unique<frmlists>(appState, listsModel);
        connect(listsForm.get(), &frmlists::markRedownloadReleased, mainForm.get(),
                &frmMain::releaseMarkRedownload);
        connect(listsForm.get(), &frmlists::restoreRequested, this, &Main::restoreDeleted);
        if (pendingRedownloadSelection >= 0)
            listsForm->selectRedownloadEntry(pendingRedownloadSelection);
        // Inside the main window's right edge, below its heading.
        const QRect main = mainForm->frameGeometry();
        listsForm->move(main.right() - listsForm->width() - 40, main.top() + 120);
    }
    return *listsForm;
}

void Main::restoreDeleted(const QList<int> &positions)
{
    const QStringList &deleted = listsModel.entries(ListsModel::Which::Deleted);
    QStringList entries;
    for (int position : positions)
        entries << deleted.value(position);
    const QList<bool> restored = mainForm->restoreEntries(entries);
    // Only the entries whose songs came back leave the list.
    QList<int> back;
    for (qsizetype i = 0; i < positions.size() && i < restored.size(); ++i) {
        if (restored[i])
            back << positions[i];
    }
    listsModel.removePositions(ListsModel::Which::Deleted, back);
}

MusicLibrary &Main::musicLibrary()
{
    if (!music) {
        // The songs to match are the library's, as the last scan or change
        // on disk left it.
        music = std::make_unique<MusicLibrary>(musicCacheFile, [this](SongIndex &songs) {
            songs.reserve(qsizetype(appState.TreeSnapshot.size()));
            for (const TreeNodeRecord &record : appState.TreeSnapshot) {
                if (record.IsLeaf)
                    songs.add(record.Key.toString());
            }
        });
        music->setFolder(musicFolder);
        if (mainForm)
            connect(music.get(), &MusicLibrary::changed, mainForm.get(), &frmMain::musicFilesChanged);
    }
    return *music;
}

MusicFile Main::musicFileFor(const QString &lyricsPath)
{
    // Without a music folder nothing is read, and nothing is started.
    if (!music && musicFolder.isEmpty())
        return {};
    MusicLibrary &library = musicLibrary();
    library.use();
    const QString &cache = appState.CachePath;
    if (cache.isEmpty() || !lyricsPath.startsWith(cache))
        return {};
    return {library.musicFileForSong(lyricsPath.mid(cache.size())), library.reading()};
}

frmMusic &Main::musicWindow()
{
    if (!musicForm) {
        musicForm = std::make_unique<frmMusic>(appState, platform, listsModel, musicLibrary());
        connect(musicForm.get(), &frmMusic::songChosen, this, [this](const QString &key) {
            mainForm->openMatch(key, 0);
            mainForm->raise();
            mainForm->activateWindow();
        });
    }
    return *musicForm;
}

void Main::showMusicWindow()
{
    frmMusic &window = musicWindow();
    window.show();
    window.raise();
    window.activateWindow();
}

void Main::showListsWindow()
{
    frmlists &window = listsWindow();
    window.ShowCorrectList();
    window.show();
    window.raise();
}

void Main::shutDown()
{
    listsModel.SaveLists();
    writeWindowSettings(platform, mainForm->currentSettings());
    listsForm.reset();
    musicForm.reset();
    music.reset();
    Q_EMIT finished();
}
