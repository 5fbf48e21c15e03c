#pragma once

// Paths inside the program use '/', whatever the downloader wrote.

#include <QString>

// Folder followed by name, with one '/' between them; the root folder "/"
// gives "/name", an empty folder the name alone.
QString joinPath(const QString &folder, const QString &name);
