#include "music/LyricsWriter.h"

#include "music/AudioStream.h"
#include "music/MusicTags.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <optional>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr QStringView kCopyPrefix = u".stanzabox-lyrics-";
constexpr QStringView kCopySuffix = u".part";

LyricsWrite failed(const QString &reason)
{
    return {LyricsWrite::Status::Failed, reason};
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool hasWriteBits(const struct stat &st)
{
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

// Copies the original's bytes into the open copy; false on any short write.
bool copyBytes(const QString &from, QFile &to, QString &why)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) {
        why = u"the file could not be read: "_s + in.errorString();
        return false;
    }
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(block.data(), block.size());
        if (n < 0) {
            why = u"the file could not be read: "_s + in.errorString();
            return false;
        }
        if (n == 0)
            break;
        if (to.write(block.constData(), n) != n) {
            why = u"the copy could not be written: "_s + to.errorString();
            return false;
        }
    }
    if (!to.flush() || ::fsync(to.handle()) != 0) {
        why = u"the copy could not be written: "_s + systemError();
        return false;
    }
    return true;
}

// The copy, read back, is what the original with these lyrics should be.
QString verifyCopy(const QString &original, const QString &copy, const TaggedFile &before, const QString &lyrics)
{
    const TaggedFile after(copy, before.format());
    if (!after.isValid() || after.format() != before.format())
        return u"the written copy could not be read back"_s;
    if (after.lyrics().value_or(QString()) != lyrics)
        return u"the lyrics did not read back as written"_s;
    if (after.artist() != before.artist() || after.title() != before.title())
        return u"the artist or title would have changed"_s;
    QString why;
    if (compareAudio(before.format(), original, copy, &why) != AudioComparison::Same)
        return why;
    return {};
}

// The original still is the file that was copied.
bool unchangedSince(const QString &path, const struct stat &then)
{
    struct stat now;
    if (::stat(QFile::encodeName(path).constData(), &now) != 0)
        return false;
    return now.st_ino == then.st_ino && now.st_dev == then.st_dev && now.st_size == then.st_size
        && now.st_mtim.tv_sec == then.st_mtim.tv_sec && now.st_mtim.tv_nsec == then.st_mtim.tv_nsec;
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The checks before any byte is written: the file is there, may be
// written, and TagLib can write it.
std::optional<LyricsWrite> refusal(const QString &target, const struct stat &st, bool statOk, int statError)
{
    if (!statOk) {
        if (statError == ENOENT)
            return failed(u"the file is no longer there"_s);
        errno = statError;
        return failed(u"the file cannot be reached: "_s + systemError());
    }
    if (!S_ISREG(st.st_mode))
        return failed(u"not a regular file"_s);
    const QByteArray name = QFile::encodeName(target);
    // Root may write anything; a file nobody may write is still read-only.
    if (!hasWriteBits(st) || ::access(name.constData(), W_OK) != 0)
        return failed(u"the file is read-only"_s);
    const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());
    if (::access(folder.constData(), W_OK | X_OK) != 0)
        return failed(u"its folder is read-only"_s);
    return std::nullopt;
}

} // namespace

bool isLyricsCopyName(QStringView fileName)
{
    return fileName.startsWith(kCopyPrefix) && fileName.endsWith(kCopySuffix);
}

bool removeLeftoverCopy(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    // A writer at work holds its copy locked.
    bool removed = false;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        removed = ::unlink(QFile::encodeName(path).constData()) == 0;
    ::close(fd);
    return removed;
}

LyricsWrite putLyricsIntoFile(const QString &path, const QString &lyrics, bool replaceExisting)
{
    // Through a link, the file it points to gets the lyrics; the link stays.
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.canonicalFilePath() : info.absoluteFilePath();
    struct stat st {};
    const bool statOk = !target.isEmpty() && ::stat(QFile::encodeName(target).constData(), &st) == 0;
    const int statError = target.isEmpty() ? ENOENT : errno;
    if (std::optional<LyricsWrite> no = refusal(target, st, statOk, statError))
        return *no;

    const TaggedFile before(target);
    if (const QString why = before.cannotWriteReason(); !why.isEmpty())
        return failed(why);
    if (const std::optional<QString> held = before.lyrics()) {
        if (*held == lyrics)
            return {LyricsWrite::Status::Unchanged, u"it holds these lyrics already"_s};
        if (!replaceExisting)
            return {LyricsWrite::Status::Unchanged, u"it holds lyrics of its own"_s};
    }

    const QString folder = QFileInfo(target).absolutePath();
    QTemporaryFile copy(folder + u'/' + kCopyPrefix.toString() + u"XXXXXX"_s + kCopySuffix.toString());
    if (!copy.open())
        return failed(u"no copy could be made in its folder: "_s + copy.errorString());
    ::flock(copy.handle(), LOCK_EX);
    QString why;
    if (!copyBytes(target, copy, why))
        return failed(why);
    {
        TaggedFile tagged(copy.fileName(), before.format());
        if (!tagged.setLyrics(lyrics) || !tagged.save())
            return failed(u"TagLib could not write the tag"_s);
    }
    if (const QString wrong = verifyCopy(target, copy.fileName(), before, lyrics); !wrong.isEmpty())
        return failed(wrong + u"; the file was left as it was"_s);

    if (::fchmod(copy.handle(), st.st_mode & 07777) != 0)
        return failed(u"the copy could not be given the file's permissions: "_s + systemError());
    // Another owner's file keeps its owner where that is allowed (as root).
    if (::fchown(copy.handle(), st.st_uid, st.st_gid) != 0 && ::geteuid() == 0)
        return failed(u"the copy could not be given the file's owner: "_s + systemError());
    if (::fsync(copy.handle()) != 0)
        return failed(u"the copy could not be written: "_s + systemError());
    if (!unchangedSince(target, st))
        return failed(u"the file changed or went while it was being written"_s);
    if (::rename(QFile::encodeName(copy.fileName()).constData(), QFile::encodeName(target).constData()) != 0)
        return failed(u"the copy could not take the file's place: "_s + systemError());
    copy.setAutoRemove(false);
    syncFolder(folder);
    return {LyricsWrite::Status::Written, {}};
}
