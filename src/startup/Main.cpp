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
    return platform.programFolder();
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

    listsModel.LoadLists(listsFolder());
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

void Main::shutDown()
{
    listsModel.SaveLists(listsFolder());
    writeWindowSettings(platform, mainForm->currentSettings());
    listsForm.reset();
    Q_EMIT finished();
}
