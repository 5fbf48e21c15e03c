#include "app/PrefixChoice.h"

#include "app/CacheFolder.h"
#include "library/FolderListing.h"
#include "library/LibraryScan.h"
#include "platform/Platform.h"
#include "platform/WinePrefix.h"
#include "platform/WinePrefixSearch.h"

using namespace Qt::StringLiterals;

namespace {

const QString kApplication = u"Vesk"_s;
const QString kSection = u"Config"_s;
const QString kPrefixKey = u"Prefix"_s;

// The songs the tree would show: names listed, no file opened.
int countSongs(const QString &cachePath)
{
    int songs = 0;
    for (const QString &folder : letterFolders(cachePath))
        songs += int(listLetterFolder(cachePath + folder).Songs.size());
    return songs;
}

} // namespace

PrefixPlan planPrefix(const QString &home, const QString &remembered)
{
    PrefixPlan plan;
    // Chosen once, the prefix stays chosen until it loses the downloader;
    // nothing else needs to be read then.
    if (!remembered.isEmpty() && prefixHasDownloader(remembered)) {
        plan.step = PrefixPlan::Step::Use;
        plan.folder = remembered;
        plan.places = {homeShortened(remembered, home)};
        return plan;
    }
    const WinePrefixSearch search = searchWinePrefixes(home);
    plan.places = search.places;
    if (search.found.size() == 1) {
        plan.step = PrefixPlan::Step::Use;
        plan.folder = search.found.constFirst();
    } else if (search.found.size() > 1) {
        plan.step = PrefixPlan::Step::Ask;
        for (const QString &folder : search.found)
            plan.candidates.append(describePrefix(folder));
    }
    return plan;
}

PrefixCandidate describePrefix(const QString &folder)
{
    PrefixCandidate candidate;
    candidate.folder = folder;
    const WinePrefix prefix(folder);
    const std::optional<QString> install = prefix.machineValue(kDownloaderKey);
    if (!install)
        return candidate;
    candidate.cacheFolder = cacheFolderOf(prefix.toNativePath(*install), [&](const QString &path) {
        return prefix.toNativePath(path);
    });
    candidate.songs = countSongs(candidate.cacheFolder);
    return candidate;
}

QString rememberedPrefix(Platform &platform)
{
    return platform.readSetting(kApplication, kSection, kPrefixKey, QString());
}

void rememberPrefix(Platform &platform, const QString &folder)
{
    platform.writeSetting(kApplication, kSection, kPrefixKey, folder);
}
