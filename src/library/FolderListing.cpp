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

QStringList FolderListing::names() const
{
    QStringList out;
    out.reserve(qsizetype(Songs.size()));
    for (const Song &s : Songs)
        out.append(s.Name);
    return out;
}

FolderListing listLetterFolder(const QString &folder, bool withStamps)
{
    FolderListing listing;
    DIR *dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return listing;
    listing.Readable = true;

    // A song's timestamp file is its name with the last three characters
    // turned into "kas": both are compared without those three.
    std::vector<QString> stamps;
    const QLatin1StringView txt(".txt");
    const QLatin1StringView kas(".kas");
    while (const dirent *entry = readdir(dir)) {
        if (entry->d_name[0] == '.') // hidden, and "." and ".."
            continue;
        QString name = QFile::decodeName(entry->d_name);
        const bool isSong = endsWithExtension(name, txt);
        const bool isStamp = !isSong && name.endsWith(kas);
        if (!isSong && !isStamp)
            continue;
        if (isSong && withStamps) {
            struct stat st;
            if (fstatat(dirfd(dir), entry->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode))
                continue;
            listing.Songs.push_back({std::move(name), false, qint64(st.st_size),
                                     qint64(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec});
            continue;
        }
        if (!isRegularFile(dirfd(dir), entry))
            continue;
        if (isSong)
            listing.Songs.push_back({std::move(name), false});
        else
            stamps.push_back(std::move(name));
    }
    closedir(dir);

    std::sort(listing.Songs.begin(), listing.Songs.end(),
              [](const FolderListing::Song &a, const FolderListing::Song &b) {
                  const int c = a.Name.compare(b.Name, Qt::CaseInsensitive);
                  return c != 0 ? c < 0 : a.Name < b.Name;
              });
    if (!stamps.empty()) {
        auto base = [](const QString &name) { return QStringView(name).chopped(3); };
        std::sort(stamps.begin(), stamps.end(),
                  [&](const QString &a, const QString &b) { return base(a) < base(b); });
        for (FolderListing::Song &song : listing.Songs) {
            const QStringView wanted = base(song.Name);
            const auto found = std::lower_bound(stamps.begin(), stamps.end(), wanted,
                                                [&](const QString &s, QStringView w) { return base(s) < w; });
            song.HasTimestamps = found != stamps.end() && base(*found) == wanted;
        }
    }
    return listing;
}
