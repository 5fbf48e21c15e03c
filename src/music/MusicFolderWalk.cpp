#include "music/MusicFolderWalk.h"

#include "music/LyricsWriter.h"
#include "music/MusicTags.h"

#include <QFile>

#include <algorithm>
#include <set>
#include <utility>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using FolderId = std::pair<dev_t, ino_t>;

struct Walker
{
    MusicFolderWalk out;
    std::set<FolderId> seen;
    std::vector<QByteArray> pending; // folders still to list, encoded

    // Lists one folder: its music files go out, its subfolders into pending.
    void list(const QByteArray &folder)
    {
        DIR *dir = ::opendir(folder.constData());
        if (!dir) {
            ++out.UnreadableFolders;
            return;
        }
        struct stat self;
        if (::fstat(::dirfd(dir), &self) != 0 || !seen.insert({self.st_dev, self.st_ino}).second) {
            // Reached again, through a link.
            ++out.LinkLoops;
            ::closedir(dir);
            return;
        }
        out.Folders.append(QFile::decodeName(folder));
        std::vector<std::pair<QString, struct stat>> files;
        std::vector<QByteArray> subfolders;
        const int fd = ::dirfd(dir);
        while (const struct dirent *entry = ::readdir(dir)) {
            const char *name = entry->d_name;
            if (name[0] == '.') {
                if (entry->d_type == DT_REG && isLyricsCopyName(QFile::decodeName(name))
                    && removeLeftoverCopy(QFile::decodeName(folder + '/' + name)))
                    ++out.LeftoversRemoved;
                continue;
            }
            const bool maybeDir = entry->d_type == DT_DIR || entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN;
            const QString decoded = QFile::decodeName(name);
            const bool music = isMusicFileName(decoded);
            if (!maybeDir && !music)
                continue;
            struct stat st;
            if (::fstatat(fd, name, &st, 0) != 0) {
                // A link that leads round in a circle, or nowhere.
                if (entry->d_type == DT_LNK && errno == ELOOP)
                    ++out.LinkLoops;
                continue;
            }
            if (S_ISDIR(st.st_mode))
                subfolders.push_back(folder + '/' + name);
            else if (S_ISREG(st.st_mode) && music)
                files.emplace_back(decoded, st);
        }
        ::closedir(dir);
        std::sort(files.begin(), files.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        const QString prefix = QFile::decodeName(folder) + u'/';
        for (const auto &[name, st] : files)
            out.Files.push_back({prefix + name, qint64(st.st_size),
                                 qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec});
        // Depth first, in name order.
        std::sort(subfolders.begin(), subfolders.end(), std::greater<>());
        for (QByteArray &sub : subfolders)
            pending.push_back(std::move(sub));
    }
};

} // namespace

MusicFolderWalk walkMusicFolder(const QString &root, const std::atomic_bool *cancel)
{
    Walker w;
    QByteArray start = QFile::encodeName(root);
    while (start.size() > 1 && start.endsWith('/'))
        start.chop(1);
    struct stat st;
    if (start.isEmpty() || ::stat(start.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        w.out.RootMissing = true;
        return std::move(w.out);
    }
    w.pending.push_back(start);
    while (!w.pending.empty()) {
        if (cancel && cancel->load()) {
            w.out.Cancelled = true;
            break;
        }
        const QByteArray folder = std::move(w.pending.back());
        w.pending.pop_back();
        w.list(folder);
    }
    return std::move(w.out);
}
