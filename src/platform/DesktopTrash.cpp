#include "platform/DesktopTrash.h"

#include "text/TextFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <functional>
#include <optional>
#include <tuple>

#include <cerrno>
#include <cstdio>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// GLib's headers name struct members "signals", which Qt defines as a keyword.
#undef signals
#include <gio/gio.h>

using namespace Qt::StringLiterals;

namespace {

// Info files are a few lines; anything larger is not one.
constexpr qint64 kLargestInfoFile = 64 * 1024;

// GIO is loaded the first time a file goes to the trash, not with the
// program: it brings eight libraries and their start-up work, which a run
// that deletes nothing never needs. GLib itself comes with Qt.
struct Gio
{
    GFile *(*newForPath)(const char *) = nullptr;
    gboolean (*trash)(GFile *, GCancellable *, GError **) = nullptr;
    void (*unref)(gpointer) = nullptr;
    QString problem; // why it could not be loaded

    bool loaded() const { return newForPath && trash && unref; }
};

const Gio &gio()
{
    static const Gio functions = [] {
        Gio f;
        // Kept for the rest of the run: never closed.
        void *library = dlopen("libgio-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (library) {
            f.newForPath = reinterpret_cast<decltype(f.newForPath)>(dlsym(library, "g_file_new_for_path"));
            f.trash = reinterpret_cast<decltype(f.trash)>(dlsym(library, "g_file_trash"));
            f.unref = reinterpret_cast<decltype(f.unref)>(dlsym(library, "g_object_unref"));
        }
        if (!f.loaded()) {
            const char *why = dlerror();
            f.problem = why ? QString::fromLocal8Bit(why) : u"GIO could not be loaded"_s;
        }
        return f;
    }();
    return functions;
}

QString parentOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash <= 0 ? u"/"_s : path.left(slash);
}

QString childOf(const QString &folder, const QString &name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

bool ownFolder(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode)
           && st.st_uid == ::geteuid();
}

// Why the file cannot be taken out of its folder, which trashing and
// deleting it for good both do: gone, a folder this user may not change, or
// a sticky folder that keeps other people's files. Zero when it can.
int removalError(const QByteArray &file)
{
    const qsizetype slash = file.lastIndexOf('/');
    const QByteArray folder = slash <= 0 ? QByteArray("/") : file.left(slash);
    struct stat dir, entry;
    if (::lstat(file.constData(), &entry) != 0
        || ::faccessat(AT_FDCWD, folder.constData(), W_OK | X_OK, AT_EACCESS) != 0
        || ::stat(folder.constData(), &dir) != 0)
        return errno;
    const uid_t me = ::geteuid();
    const bool kept = (dir.st_mode & S_ISVTX) && me != 0 && me != dir.st_uid && me != entry.st_uid;
    return kept ? EPERM : 0;
}

// The symbolic-link-free form of a path whose last part need not exist.
QString canonical(const QString &path)
{
    const QFileInfo file(path);
    if (const QString whole = file.canonicalFilePath(); !whole.isEmpty())
        return whole;
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? QDir::cleanPath(file.absoluteFilePath()) : childOf(folder, file.fileName());
}

// Percent-escapes turned back into the bytes they stand for. A '%' that
// starts no escape is kept as it is: Qt 6.4 wrote paths without escaping,
// and songs deleted through it should still come back. A NUL byte cannot be
// part of a path.
std::optional<QByteArray> unescape(const QByteArray &value)
{
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    QByteArray bytes;
    bytes.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (c == '%' && i + 2 < value.size() && hex(value[i + 1]) >= 0 && hex(value[i + 2]) >= 0) {
            c = char(hex(value[i + 1]) * 16 + hex(value[i + 2]));
            i += 2;
        }
        if (c == '\0')
            return std::nullopt;
        bytes += c;
    }
    return bytes;
}

struct TrashInfo
{
    QByteArray path; // unescaped
    QDateTime deleted;
};

// The [Trash Info] group of an info file; nothing when the file lacks it,
// a path or a readable deletion date.
std::optional<TrashInfo> parseInfo(const QByteArray &text)
{
    bool inGroup = false;
    std::optional<QByteArray> path, date;
    for (const QByteArray &raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            inGroup = line == "[Trash Info]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inGroup || equals < 0)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        if (key == "Path" && !path)
            path = line.mid(equals + 1).trimmed();
        else if (key == "DeletionDate" && !date)
            date = line.mid(equals + 1).trimmed();
    }
    if (!path || path->isEmpty() || !date)
        return std::nullopt;
    TrashInfo info;
    info.deleted = QDateTime::fromString(QString::fromLatin1(*date), Qt::ISODate);
    const std::optional<QByteArray> bytes = unescape(*path);
    if (!info.deleted.isValid() || !bytes)
        return std::nullopt;
    info.path = *bytes;
    return info;
}

// The absolute path an entry came from. A relative one starts at the
// trash's base and may not climb out of it.
std::optional<QString> originalPath(const QByteArray &path, const QString &base)
{
    const QString name = QFile::decodeName(path);
    if (name.startsWith(u'/'))
        return QDir::cleanPath(name);
    if (name.split(u'/').contains(u".."_s))
        return std::nullopt;
    return QDir::cleanPath(childOf(base, name));
}

struct Entry
{
    QString from; // the original path
    QString infoFile;
    QString trashedFile;
    QDateTime deleted;
    qint64 infoSeconds = 0;
    qint64 infoNanoseconds = 0;
    // The trashed file is a plain file, not a folder or a symbolic link.
    bool plainFile = false;

    auto age() const { return std::tie(deleted, infoSeconds, infoNanoseconds, infoFile); }
};

// The entries of one trash folder whose original path the test takes, their
// files still in the trash. Whatever cannot be read is passed over.
QList<Entry> entriesFrom(const DesktopTrash::Folder &folder, const std::function<bool(const QString &)> &takes)
{
    QList<Entry> entries;
    const QDir info(childOf(folder.path, u"info"_s));
    const QStringList names = info.entryList({u"*.trashinfo"_s},
                                             QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString &name : names) {
        Entry entry;
        entry.infoFile = info.filePath(name);
        const WholeFile file = readWholeFile(entry.infoFile, kLargestInfoFile);
        if (file.status != WholeFile::Read)
            continue;
        const std::optional<TrashInfo> parsed = parseInfo(file.bytes);
        if (!parsed)
            continue;
        const std::optional<QString> from = originalPath(parsed->path, folder.base);
        if (!from || !takes(*from))
            continue;
        entry.from = *from;
        entry.trashedFile = childOf(childOf(folder.path, u"files"_s), name.chopped(10));
        struct stat trashed, infoStat;
        if (::lstat(QFile::encodeName(entry.trashedFile).constData(), &trashed) != 0
            || ::lstat(QFile::encodeName(entry.infoFile).constData(), &infoStat) != 0)
            continue;
        entry.plainFile = S_ISREG(trashed.st_mode);
        entry.deleted = parsed->deleted;
        entry.infoSeconds = infoStat.st_mtim.tv_sec;
        entry.infoNanoseconds = infoStat.st_mtim.tv_nsec;
        entries.append(entry);
    }
    return entries;
}

// A file copied to a file system other than the trash's comes back by copy.
RestoreResult copyBack(const QString &from, const QString &to)
{
    const QFileInfo source(from);
    if (!source.isFile() || source.isSymLink())
        return {RestoreResult::Failed, qt_error_string(EXDEV)};
    QFile trashed(from);
    // QFile::copy never replaces an existing file.
    if (QFileInfo::exists(to) || QFileInfo(to).isSymLink())
        return {RestoreResult::TargetExists, {}};
    if (!trashed.copy(to))
        return {RestoreResult::Failed, trashed.errorString()};
    if (!trashed.remove()) {
        const QString reason = trashed.errorString();
        QFile::remove(to);
        return {RestoreResult::Failed, reason};
    }
    return {RestoreResult::Restored, {}};
}

RestoreResult moveBack(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return {RestoreResult::Restored, {}};
    int error = errno;
    if (error == EINVAL || error == ENOSYS) {
        // A file system without an exclusive rename: look first.
        struct stat st;
        if (::lstat(target.constData(), &st) == 0)
            return {RestoreResult::TargetExists, {}};
        if (::rename(source.constData(), target.constData()) == 0)
            return {RestoreResult::Restored, {}};
        error = errno;
    }
    if (error == EEXIST)
        return {RestoreResult::TargetExists, {}};
    if (error == EXDEV)
        return copyBack(from, to);
    return {RestoreResult::Failed, qt_error_string(error)};
}

} // namespace

TrashResult DesktopTrash::moveToTrash(const QString &path)
{
    const QByteArray native = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    // Asked first, so that GIO is not: it would fail the same way, after
    // writing an info file to take back.
    if (const int error = removalError(native))
        return {TrashResult::Failed, qt_error_string(error)};

    const Gio &g = gio();
    if (!g.loaded())
        return {TrashResult::NoTrash, g.problem};
    GFile *file = g.newForPath(native.constData());
    GError *error = nullptr;
    const bool trashed = g.trash(file, nullptr, &error);
    g.unref(file);
    if (trashed)
        return {TrashResult::Trashed, {}};
    const QString reason = QString::fromUtf8(error->message);
    g_error_free(error);
    // GIO's error codes do not tell the trash's faults from the file's own.
    // What the caller decides next is whether to delete the file for good,
    // so that is what tells them apart.
    return {removalError(native) == 0 ? TrashResult::NoTrash : TrashResult::Failed, reason};
}

QList<DesktopTrash::Folder> DesktopTrash::foldersFor(const QString &path)
{
    QList<Folder> folders{{homeFolder(), QFile::decodeName(g_get_user_data_dir())}};
    for (const Folder &folder : topDirectoryFolders(topDirectory(path))) {
        if (folder.path != folders.first().path)
            folders.append(folder);
    }
    return folders;
}

RestoreResult DesktopTrash::restore(const QString &originalPath)
{
    return restore(originalPath, foldersFor(originalPath));
}

QStringList DesktopTrash::trashedFrom(const QString &folder)
{
    return trashedFrom(folder, foldersFor(folder));
}

QStringList DesktopTrash::trashedFrom(const QString &folder, const QList<Folder> &folders)
{
    // As given, and with symbolic links followed, as the top folders'
    // trashes keep it; told back in the form given.
    const QString given = QDir::cleanPath(QFileInfo(folder).absoluteFilePath()) + u'/';
    const QString real = canonical(given.chopped(1)) + u'/';
    QSet<QString> found;
    for (const Folder &trash : folders) {
        for (const Entry &entry : entriesFrom(trash, [&](const QString &from) {
                 return from.startsWith(given) || from.startsWith(real);
             }))
            found.insert(entry.from.startsWith(given) ? entry.from : given + entry.from.mid(real.size()));
    }
    QStringList paths(found.begin(), found.end());
    paths.sort();
    return paths;
}

RestoreResult DesktopTrash::restore(const QString &originalPath, const QList<Folder> &folders)
{
    const QString target = QDir::cleanPath(QFileInfo(originalPath).absoluteFilePath());
    // The home trash keeps the path as it was given; the top folders'
    // trashes keep it with symbolic links followed.
    QStringList paths{target};
    if (const QString real = canonical(target); real != target)
        paths.append(real);

    QList<Entry> entries;
    for (const Folder &folder : folders)
        entries += entriesFrom(folder, [&](const QString &from) { return paths.contains(from); });
    if (entries.isEmpty())
        return {RestoreResult::NotInTrash, {}};
    // Only a song's file goes back into the library: a folder or a link of
    // its name in the trash is no song, whatever put it there.
    entries.removeIf([](const Entry &entry) { return !entry.plainFile; });
    if (entries.isEmpty())
        return {RestoreResult::Failed, u"the trash holds a folder or a link of that name, not a file"_s};
    const Entry &newest = *std::max_element(entries.cbegin(), entries.cend(), [](const Entry &a, const Entry &b) {
        return a.age() < b.age();
    });
    const RestoreResult result = moveBack(newest.trashedFile, target);
    if (result.status == RestoreResult::Restored) {
        // Left behind, it would only be an entry without a file, which
        // every reader passes over.
        QFile::remove(newest.infoFile);
    }
    return result;
}

QString DesktopTrash::homeFolder()
{
    return childOf(QFile::decodeName(g_get_user_data_dir()), u"Trash"_s);
}

bool DesktopTrash::usesHomeTrash(const QString &path)
{
    struct stat file, home;
    return ::lstat(QFile::encodeName(path).constData(), &file) == 0 && ::stat(g_get_home_dir(), &home) == 0
           && file.st_dev == home.st_dev;
}

QString DesktopTrash::topDirectory(const QString &path)
{
    QString current = canonical(path);
    struct stat st;
    while (::lstat(QFile::encodeName(current).constData(), &st) != 0) {
        if (current == u"/"_s)
            return current;
        current = parentOf(current);
    }
    while (current != u"/"_s) {
        const QString parent = parentOf(current);
        struct stat up;
        if (::stat(QFile::encodeName(parent).constData(), &up) != 0 || up.st_dev != st.st_dev)
            break;
        current = parent;
    }
    return current;
}

QList<DesktopTrash::Folder> DesktopTrash::topDirectoryFolders(const QString &topDirectory)
{
    const QString uid = QString::number(::geteuid());
    QList<Folder> folders;
    // A shared .Trash is trusted only as the administrator made it: a link
    // could point the user's deleted files anywhere.
    const QString shared = childOf(topDirectory, u".Trash"_s);
    struct stat st;
    if (::lstat(QFile::encodeName(shared).constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)
        && ownFolder(childOf(shared, uid)))
        folders.append({childOf(shared, uid), topDirectory});
    if (const QString own = childOf(topDirectory, u".Trash-"_s + uid); ownFolder(own))
        folders.append({own, topDirectory});
    return folders;
}
