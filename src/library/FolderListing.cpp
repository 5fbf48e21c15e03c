#include "library/FolderListing.h"

#include <QFile>

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

namespace {

bool endsWithExtension(const QString &name, QLatin1StringView extension)
{
    return name.size() > extension.size() && name.endsWith(extension, Qt::CaseInsensitive);
}

// A directory entry is a regular file, following a symbolic link; the entry
// type saves a stat on the file systems that report it.
bool isRegularFile(int dirFd, const dirent *entry)
{
    if (entry->d_type == DT_REG)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    struct stat st;
    return fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
}

} // namespace

FolderListing listLetterFolder(const QString &folder)
{
    FolderListing listing;
    DIR *dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return listing;
    listing.Readable = true;

    const QLatin1StringView txt(".txt");
    const QLatin1StringView kas(".kas");
    while (const dirent *entry = readdir(dir)) {
        if (entry->d_name[0] == '.') // hidden, and "." and ".."
            continue;
        const QString name = QFile::decodeName(entry->d_name);
        const bool isSong = endsWithExtension(name, txt);
        const bool isStamp = !isSong && name.endsWith(kas);
        if (!isSong && !isStamp)
            continue;
        if (!isRegularFile(dirfd(dir), entry))
            continue;
        if (isSong)
            listing.Songs.append(name);
        else
            listing.Timestamps.insert(name);
    }
    closedir(dir);

    std::sort(listing.Songs.begin(), listing.Songs.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return listing;
}
