#include "app/TrashRestore.h"

#include "app/SongSelection.h"
#include "platform/Platform.h"

#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

QString restoreProblem(const RestoreResult &result, const QString &entry)
{
    switch (result.status) {
    case RestoreResult::Restored:
        return {};
    case RestoreResult::NotInTrash:
        return entry + u": Not in the trash"_s;
    case RestoreResult::TargetExists:
        return entry + u": a file of that name is in the library already; it was left as it is"_s;
    case RestoreResult::Failed:
        break;
    }
    return entry + u": could not be put back ("_s + result.reason + u')';
}

RestoreReport restoreFromTrash(Platform &platform, const QString &cachePath, const QStringList &entries)
{
    RestoreReport report;
    // The files in the trash that came from this library, by their entries.
    QStringList trashed = platform.trashedFilesFrom(cachePath);
    for (const QString &entry : entries) {
        auto matches = [&](Qt::CaseSensitivity cs) {
            return std::find_if(trashed.begin(), trashed.end(), [&](const QString &path) {
                return entryOfFile(QFileInfo(path).fileName()).compare(entry, cs) == 0;
            });
        };
        auto found = matches(Qt::CaseSensitive);
        if (found == trashed.end())
            found = matches(Qt::CaseInsensitive); // the tree spells an artist as first met
        if (found == trashed.end()) {
            report.Problems << restoreProblem({RestoreResult::NotInTrash, {}}, entry);
            report.Restored << false;
            continue;
        }
        const QString path = *found;
        const RestoreResult result = platform.restoreFromTrash(path);
        report.Restored << (result.status == RestoreResult::Restored);
        if (result.status == RestoreResult::Restored) {
            report.Keys << path.mid(cachePath.size());
            trashed.erase(found);
        } else {
            report.Problems << restoreProblem(result, entry);
        }
    }
    return report;
}
