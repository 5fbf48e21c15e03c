#include "lyricsindex/LyricsText.h"

#include "text/Cp1252.h"
#include "text/TextFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

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
    RegularFile file(path);
    if (!file.isOpen())
        return std::nullopt;
    QByteArray bytes(std::min<qint64>(limit, std::max<qint64>(0, file.size())), Qt::Uninitialized);
    // Shorter than when it was looked at: what is there.
    const qint64 got = file.read(bytes.data(), bytes.size());
    if (got < 0)
        return std::nullopt;
    bytes.truncate(got);
    if (stamp)
        *stamp = {file.size(), file.modifiedNs()};
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
