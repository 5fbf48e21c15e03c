#include "startup/Main.h"

#include "app/CacheFolder.h"
#include "app/Manifest.h"
#include "app/WindowSettings.h"
#include "lists/frmlists.h"
#include "mainwindow/frmMain.h"
#include "platform/Platform.h"

Main::Main(Platform &platform, QObject *parent) : QObject(parent), platform(platform) {}

Main::~Main() = default;

QString Main::listsFolder() const
{
    return listsModel.folder();
}

void Main::run()
{
    const bool manifestDue = StartCommonControls(platform);
    appState.RedownloadListActive = true;
    ReadInstallPath(appState, platform);

    mainForm = std::make_unique<frmMain>(appState, platform, listsModel);
    listsForm = std::make_unique<frmlists>(appState, listsModel);
    connect(mainForm.get(), &frmMain::unloading, this, &Main::shutDown);
    connect(mainForm.get(), &frmMain::redownloadEntryMatched, listsForm.get(),
            &frmlists::selectRedownloadEntry);
    connect(mainForm.get(), &frmMain::listsWindowRequested, this, &Main::showListsWindow);
    connect(listsForm.get(), &frmlists::markRedownloadReleased, mainForm.get(),
            &frmMain::releaseMarkRedownload);

    // Chosen once: the program's folder, or the user's own where that is not writable.
    listsModel.setFolder(chooseListsFolder(platform.programFolder(), platform.userDataFolder()));
    listsModel.LoadLists();
    listsForm->ShowCorrectList();

    // The stored window values are read before settings.txt and applied after it.
    const WindowSettings settings = readWindowSettings(platform);
    ReadCachePathSetting(appState, platform);
    mainForm->applySettings(settings);

    mainForm->ScanLibrary();
    if (manifestDue)
        WriteManifest(platform);
    mainForm->show();
}

void Main::showListsWindow()
{
    listsForm->ShowCorrectList();
    if (!listsShown) {
        // First time: inside the main window's right edge, below its heading.
        const QRect main = mainForm->frameGeometry();
        listsForm->move(main.right() - listsForm->width() - 40, main.top() + 120);
        listsShown = true;
    }
    listsForm->show();
    listsForm->raise();
}

void Main::shutDown()
{
    listsModel.SaveLists();
    writeWindowSettings(platform, mainForm->currentSettings());
    listsForm.reset();
    Q_EMIT finished();
}
