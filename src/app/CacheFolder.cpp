#include "app/CacheFolder.h"

#include "app/AppState.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "text/TextFile.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

void ReadInstallPath(AppState &state, Platform &platform)
{
    state.InstallPath = platform.downloaderInstallFolder();
    if (!state.InstallPath.isEmpty())
        state.CachePath = joinPath(state.InstallPath, u"lyrics/"_s);
}

std::optional<QString> cachePathLineValue(const QString &settingsText)
{
    static const QString tag = u"[CachePath]"_s;
    // The downloader writes CR LF; a lone CR or LF also ends a line.
    const QStringView text(settingsText);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QStringView line = text.mid(start, end - start);
        if (line.startsWith(tag)) {
            if (line.size() == tag.size())
                return std::nullopt;
            return line.mid(tag.size() + 1).toString();
        }
        start = end;
        if (start < text.size() && text[start] == u'\r')
            ++start;
        if (start < text.size() && text[start] == u'\n')
            ++start;
    }
    return std::nullopt;
}

namespace {

// The "[CachePath]" value of settings.txt in the install folder, as the
// downloader wrote it.
std::optional<QString> settingsCachePath(const QString &installPath)
{
    // Without an install folder there is no settings.txt to look for.
    if (installPath.isEmpty())
        return std::nullopt;
    const std::optional<QString> text = readTextFile(joinPath(installPath, u"settings.txt"_s));
    if (!text)
        return std::nullopt;
    return cachePathLineValue(*text);
}

} // namespace

void ReadCachePathSetting(AppState &state, Platform &platform)
{
    if (const std::optional<QString> value = settingsCachePath(state.InstallPath))
        state.CachePath = platform.nativePath(*value);
}

void UseCacheFolder(AppState &state, const QString &cacheFolder)
{
    const QString folder = QDir::cleanPath(cacheFolder);
    state.CachePath = joinPath(folder, QString());
    // The root's parent is the root itself.
    state.InstallPath = QFileInfo(folder).absolutePath();
}

QString rememberedCacheFolder(Platform &platform)
{
    return platform.readSetting(u"Vesk"_s, u"Config"_s, u"CacheFolder"_s, QString());
}

void rememberCacheFolder(Platform &platform, const QString &folder)
{
    platform.writeSetting(u"Vesk"_s, u"Config"_s, u"CacheFolder"_s, folder);
}

QString cacheFolderOf(const QString &installFolder,
                      const std::function<QString(const QString &)> &nativePath)
{
    if (installFolder.isEmpty())
        return {};
    if (const std::optional<QString> value = settingsCachePath(installFolder))
        return nativePath(*value);
    return joinPath(installFolder, u"lyrics/"_s);
}
