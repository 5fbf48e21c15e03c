#pragma once

// The main window on a cache folder, scanned and shown offscreen: where the
// window benchmarks start from, as a user would have it before the gesture
// they time.

#include "app/AppState.h"
#include "bench/BenchPlatform.h"
#include "lists/ListsModel.h"
#include "mainwindow/frmMain.h"

#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <memory>

class BenchWindow
{
public:
    // False when the window could not be shown.
    bool open(QString cachePath)
    {
        if (!cachePath.endsWith(u'/'))
            cachePath += u'/';
        state.CachePath = cachePath;
        form = std::make_unique<frmMain>(state, platform, lists);
        form->ScanLibrary();
        form->show();
        return QTest::qWaitForWindowExposed(form.get());
    }
    frmMain &window() { return *form; }
    const QString &cachePath() const { return state.CachePath; }

private:
    BenchPlatform platform;
    AppState state;
    ListsModel lists;
    std::unique_ptr<frmMain> form;
};

// The number of runs from "PROGRAM FOLDER RUNS ...", at least one; 0 after
// printing the usage when the arguments are too few.
inline int benchRuns(int argc, char **argv, const char *usage)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s %s\n", argv[0], usage);
        return 0;
    }
    return std::max(1, std::atoi(argv[2]));
}
