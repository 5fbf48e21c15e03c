#include "text/TextFile.h"

#include "text/Cp1252.h"
#include "text/LosslessText.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

WholeFile readWholeFile(const QString &path, qint64 limit)
{
    WholeFile result;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return result;
    result.size = info.size();
    if (result.size > limit) {
        result.status = WholeFile::TooLarge;
        return result;
    }
    QFile file(path);
    result.status = WholeFile::Failed;
    if (!file.open(QIODevice::ReadOnly)) {
        result.reason = file.errorString();
        return result;
    }
    // Room for what the file held when measured; it may have grown since,
    // so read on to its end, but never past the limit.
    result.bytes = file.read(result.size + 1);
    while (file.error() == QFileDevice::NoError && !file.atEnd() && result.bytes.size() <= limit)
        result.bytes += file.read(std::min<qint64>(qint64(1) << 20, limit + 1 - result.bytes.size()));
    if (file.error() != QFileDevice::NoError) {
        result.reason = file.errorString();
        result.bytes.clear();
        return result;
    }
    if (result.bytes.size() > limit) {
        result.bytes.clear();
        result.status = WholeFile::TooLarge;
        return result;
    }
    result.size = result.bytes.size();
    result.status = WholeFile::Read;
    return result;
}

std::optional<bool> fileContains(const QString &path, QByteArrayView needle, qint64 limit)
{
    if (path.isEmpty())
        return std::nullopt;
    // Not blocking on a named pipe: it is no file to read anyway.
    const int fd = open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct Closer
    {
        int fd;
        ~Closer() { close(fd); }
    } closer{fd};
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > limit)
        return std::nullopt;
    if (needle.isEmpty())
        return true;

    // Each block is searched together with the end of the one before, so a
    // needle cut by the block boundary is still found.
    constexpr qsizetype Block = 16 * 1024;
    const qsizetype keep = needle.size() - 1;
    std::vector<char> buffer(size_t(Block + keep));
    const std::string_view wanted(needle.data(), size_t(needle.size()));
    qsizetype carried = 0;
    qint64 total = 0;
    for (;;) {
        const ssize_t got = read(fd, buffer.data() + carried, size_t(Block));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (got == 0)
            return false;
        total += got;
        // The file grew past the limit since it was measured.
        if (total > limit)
            return std::nullopt;
        const qsizetype filled = carried + qsizetype(got);
        if (std::string_view(buffer.data(), size_t(filled)).find(wanted) != std::string_view::npos)
            return true;
        carried = std::min(keep, filled);
        std::memmove(buffer.data(), buffer.data() + filled - carried, size_t(carried));
    }
}

bool writeFileAtomically(const QString &path, QByteArrayView bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes.data(), bytes.size()) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString decodeText(QByteArrayView bytes, TextEncoding encoding)
{
    return encoding == TextEncoding::CodePage ? Cp1252::decode(bytes) : LosslessText::decode(bytes);
}

std::optional<QString> readTextFile(const QString &path, TextEncoding encoding)
{
    const WholeFile file = readWholeFile(path);
    if (file.status != WholeFile::Read)
        return std::nullopt;
    return decodeText(file.bytes, encoding);
}

WriteResult writeTextFile(const QString &path, const QString &text, TextEncoding encoding)
{
    QByteArray bytes;
    if (encoding == TextEncoding::CodePage) {
        qsizetype unencodable = 0;
        bytes = Cp1252::encode(text, &unencodable);
        if (unencodable > 0)
            return WriteResult::Unencodable;
    } else {
        bytes = LosslessText::encode(text);
    }
    return writeFileAtomically(path, bytes) ? WriteResult::Written : WriteResult::Failed;
}
