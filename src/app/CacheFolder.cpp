#include "app/CacheFolder.h"

#include "app/AppState.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "text/TextFile.h"

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

void ReadCachePathSetting(AppState &state, Platform &platform)
{
    // Without an install folder there is no settings.txt to look for.
    if (state.InstallPath.isEmpty())
        return;
    const std::optional<QString> text = readTextFile(joinPath(state.InstallPath, u"settings.txt"_s));
    if (!text)
        return;
    if (const std::optional<QString> value = cachePathLineValue(*text))
        state.CachePath = platform.nativePath(*value);
}
