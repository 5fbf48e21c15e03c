#pragma once

// Which Wine prefix the desktop platform reads the downloader from, decided
// before the start-up: the one named on the command line or by $WINEPREFIX,
// else the one remembered or found, asking the user when several are found.

#include "app/StartOptions.h"

#include <QString>
#include <QStringList>

class Platform;
class QWidget;

struct DownloaderPrefix
{
    QString folder;     // empty: no downloader to read
    // Where the search looked, for telling the user; empty after a
    // cancelled question.
    QStringList places;
};

// settings keeps the user's choice; winePrefixVariable is $WINEPREFIX's value
// and home the home folder, given so that tests set them.
DownloaderPrefix chooseDownloaderPrefix(Platform &settings, const StartOptions &options,
                                        const QString &winePrefixVariable, const QString &home,
                                        QWidget *dialogParent = nullptr);
