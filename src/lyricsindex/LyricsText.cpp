#include "lyricsindex/LyricsText.h"

#include "text/Cp1252.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr QStringView kSourceTag = u"* Downloaded from:";
constexpr QStringView kFilterMark = u"] filter used";

FileStamp stampFrom(const struct stat &st)
{
    return {qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
}

void blank(QString &text, qsizetype from, qsizetype to)
{
    for (qsizetype i = from; i < to; ++i)
        text[i] = u' ';
}

} // namespace

namespace LyricsText {

std::optional<FileStamp> stampOf(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return stampFrom(st);
}

bool isGone(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        return false;
    return errno == ENOENT || errno == ENOTDIR;
}

std::optional<QByteArray> readHead(const QString &path, qint64 limit, FileStamp *stamp)
{
    // O_NONBLOCK: a named pipe in the cache must not hang the reader before
    // the check below turns it away.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    const qint64 wanted = std::min<qint64>(limit, std::max<qint64>(0, st.st_size));
    QByteArray bytes(wanted, Qt::Uninitialized);
    qint64 got = 0;
    while (got < wanted) {
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(wanted - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break; // shorter than when it was looked at: take what is there
        got += n;
    }
    ::close(fd);
    bytes.truncate(got);
    if (stamp)
        *stamp = stampFrom(st);
    return bytes;
}

QString indexable(QByteArrayView bytes)
{
    QString text = Cp1252::decode(bytes);
    for (QChar &c : text) {
        if (c.unicode() < 0x20 && c != u'\n' && c != u'\r')
            c = u' ';
    }
    for (qsizetype at = text.indexOf(kSourceTag); at >= 0; at = text.indexOf(kSourceTag, at)) {
        qsizetype end = at;
        while (end < text.size() && text.at(end) != u'\r' && text.at(end) != u'\n')
            ++end;
        blank(text, at, end);
        at = end;
    }
    for (qsizetype at = text.indexOf(kFilterMark); at >= 0; at = text.indexOf(kFilterMark, at)) {
        const qsizetype lineStart = std::max(text.lastIndexOf(u'\n', at), text.lastIndexOf(u'\r', at)) + 1;
        const qsizetype open = text.lastIndexOf(u'[', at);
        const qsizetype from = open >= lineStart ? open : at;
        const qsizetype end = at + kFilterMark.size();
        blank(text, from, end);
        at = end;
    }
    return text;
}

} // namespace LyricsText
