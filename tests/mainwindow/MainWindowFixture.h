#pragma once

// A main window over a fixture library in a temporary folder, with a fake
// platform, for the window's tests.

#include "app/AppState.h"
#include "library/LibraryTree.h"
#include "lists/ListsModel.h"
#include "mainwindow/frmMain.h"
#include "support/FakePlatform.h"
#include "support/LibraryBuilder.h"

#include <QAction>
#include <QLabel>
#include <QTemporaryDir>

#include <memory>

struct Window
{
    QTemporaryDir dir;
    LibraryBuilder lib{dir.path() + QStringLiteral("/lyrics")};
    FakePlatform platform;
    AppState state;
    ListsModel lists;
    std::unique_ptr<frmMain> form;

    // Creates the window and scans the library.
    void open()
    {
        state.CachePath = lib.cachePath();
        form = std::make_unique<frmMain>(state, platform, lists);
        form->ScanLibrary();
    }
    template<typename T> T *child(const QString &name) const
    {
        T *w = form->findChild<T *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    QString label(const QString &name) const { return child<QLabel>(name)->text(); }
    LibraryNode *node(const QString &key) const { return form->libraryTree().find(key); }
    bool enabled(int position) const { return form->toolbarButton(position)->isEnabled(); }
};
