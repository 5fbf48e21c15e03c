#pragma once

// Which Wine prefix to read the downloader from when the user named none:
// the one chosen last time while it still holds the downloader, else the
// only one found, else the user's pick among several.

#include <QList>
#include <QString>
#include <QStringList>

class Platform;

// A prefix as the user is shown it when asked to choose.
struct PrefixCandidate
{
    QString folder;      // the prefix
    QString cacheFolder; // where its downloader keeps the lyrics
    int songs = 0;       // lyrics files in the cache folder's letter folders
};

struct PrefixPlan
{
    enum class Step { Use, Ask, NothingFound };
    Step step = Step::NothingFound;
    QString folder;                    // Step::Use: the prefix to read
    QList<PrefixCandidate> candidates; // Step::Ask: in the order found
    QStringList places;                // where the search looked
};

// Decides from the remembered prefix and, when that no longer holds the
// downloader, a search of home.
PrefixPlan planPrefix(const QString &home, const QString &remembered);

// The cache folder and song count of a prefix holding the downloader.
PrefixCandidate describePrefix(const QString &folder);

// The prefix the user chose last time ("Prefix" in Vesk.ini's [Config]).
QString rememberedPrefix(Platform &platform);
void rememberPrefix(Platform &platform, const QString &folder);
