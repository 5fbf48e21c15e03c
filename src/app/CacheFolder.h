#pragma once

// Where the downloader keeps its lyrics: its install folder from the
// registry, the "lyrics" folder in it by default, or the folder named by the
// "[CachePath]" line of its settings.txt.

#include <QString>

#include <functional>
#include <optional>

struct AppState;
class Platform;

// Sets InstallPath from the registry and, when there is one, the default
// CachePath "<install>/lyrics/". Leaves CachePath alone otherwise.
void ReadInstallPath(AppState &state, Platform &platform);

// Applies the first "[CachePath]" line of settings.txt in the install folder,
// if there is one. Nothing else in the file matters.
void ReadCachePathSetting(AppState &state, Platform &platform);

// A cache folder the user named, opened as it is: neither the registry nor
// settings.txt is read, and the folder above it stands in for the install
// folder, where joined lyrics are saved.
void UseCacheFolder(AppState &state, const QString &cacheFolder);

// The cache folder the user last picked with "Choose cache folder…", kept
// in the settings store for the runs that find no downloader; empty when
// none was picked.
QString rememberedCacheFolder(Platform &platform);
void rememberCacheFolder(Platform &platform, const QString &folder);

// The cache folder the start-up would settle on for a native install folder:
// the "[CachePath]" line of its settings.txt, made native by nativePath, else
// "<install>/lyrics/". Empty for an empty install folder.
QString cacheFolderOf(const QString &installFolder,
                      const std::function<QString(const QString &)> &nativePath);

// The value of the first line that starts with "[CachePath]" exactly: the
// line after the tag and the one separator character that follows it. No
// value when no line matches or the first matching line is the bare tag.
std::optional<QString> cachePathLineValue(const QString &settingsText);
