#pragma once

// What the command line asks of the start-up. Folders are absolute; empty
// when not given.

#include <QString>

struct StartOptions
{
    QString prefixFolder; // the Wine prefix to read, instead of searching
    QString cacheFolder;  // a cache folder opened as it is: no registry, no settings.txt
    QString musicFolder = {}; // the Music window's folder for this run, instead of the one remembered
};
