#pragma once

// The Wine prefixes in a user's home that hold the downloader: Wine's own
// ~/.wine and the prefixes that the common Wine managers (Bottles, Lutris,
// PlayOnLinux, CrossOver) make. Only each prefix's system.reg is read.

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

// The key the downloader's installer writes under the machine hive.
inline const QString kDownloaderKey = QStringLiteral("Software\\Quorvane\\Wordhive");

struct WinePrefixSearch
{
    // Prefix folders whose registry names the downloader's install folder,
    // in the order searched, each folder once.
    QStringList found;
    // Where the search looked, for telling the user, home written "~": each
    // prefix folder it looked at, whether it exists or not, and the pattern
    // itself where a manager's folder held no prefix at all.
    QStringList places;
};

// Searches the home folder given (never the real one in tests), in this
// order: ~/.wine, Bottles, Bottles from Flathub, the prefixes named by
// Lutris's game files, ~/Games/*, PlayOnLinux, CrossOver. Within a manager's
// folder, prefixes come in order of name.
WinePrefixSearch searchWinePrefixes(const QString &home);

// Whether the registry of the prefix in folder names the downloader's install
// folder (the first value of its key is text).
bool prefixHasDownloader(const QString &folder);

// The prefix of a Lutris game file: the value of its first usable "prefix:"
// line, quotes removed and a leading "~/" made the home folder. None when no
// such line gives an absolute path. The YAML is only read line by line.
std::optional<QString> lutrisGamePrefix(QByteArrayView gameFile, const QString &home);

// path with a leading home folder written "~".
QString homeShortened(const QString &path, const QString &home);
