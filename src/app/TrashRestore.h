#pragma once

// Putting deleted songs back from the desktop trash by their list entries
// ("Artist - Song"): the trash file that came from this cache folder with
// that name, moved back where it was. Never over a file that is there.

#include <QList>
#include <QString>
#include <QStringList>

class Platform;
struct RestoreResult;

struct RestoreReport
{
    // For each entry asked for, whether its song is back.
    QList<bool> Restored;
    // The keys ("D/F") of the songs back in the cache folder.
    QStringList Keys;
    // One line for each entry that did not come back, saying why.
    QStringList Problems;
};

RestoreReport restoreFromTrash(Platform &platform, const QString &cachePath, const QStringList &entries);

// Why a song did not come back, for the user; empty when it did.
QString restoreProblem(const RestoreResult &result, const QString &entry);
