#include "text/TextFile.h"

#include "text/Cp1252.h"
#include "text/LosslessText.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

RegularFile::RegularFile(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st;
    // Not blocking on a named pipe: it is no file to read anyway.
    fd = path.isEmpty() ? -1 : ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        fd = -1;
    }
    if (fd < 0) {
        // There but not opened (no permission): not missing.
        isMissing = path.isEmpty() || ::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode);
        return;
    }
    fileSize = qint64(st.st_size);
    modified = qint64(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
}

RegularFile::~RegularFile()
{
    if (fd >= 0)
        ::close(fd);
}

qint64 RegularFile::read(char *out, qint64 n)
{
    qint64 got = 0;
    while (got < n) {
        const ssize_t r = ::read(fd, out + got, size_t(n - got));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return -1;
        if (r == 0)
            break;
        got += r;
    }
    return got;
}

WholeFile readWholeFile(const QString &path, qint64 limit)
{
    WholeFile result;
    RegularFile file(path);
    if (!file.isOpen()) {
        result.status = file.missing() ? WholeFile::Missing : WholeFile::Failed;
        return result;
    }
    result.size = file.size();
    if (result.size > limit) {
        result.status = WholeFile::TooLarge;
        return result;
    }
    // Room for what the file held when measured; it may have grown since,
    // so read on to its end, but never past the limit.
    result.status = WholeFile::Failed;
    qint64 got = 0;
    for (qint64 room = result.size + 1;; room = std::min<qint64>(qint64(1) << 20, limit + 1 - got)) {
        result.bytes.resize(got + room);
        const qint64 n = file.read(result.bytes.data() + got, room);
        if (n < 0) {
            result.bytes.clear();
            return result;
        }
        got += n;
        if (n < room || got > limit)
            break;
    }
    result.bytes.truncate(got);
    if (got > limit) {
        result.bytes.clear();
        result.status = WholeFile::TooLarge;
        return result;
    }
    result.size = got;
    result.status = WholeFile::Read;
    return result;
}

std::optional<bool> fileContains(const QString &path, QByteArrayView needle, qint64 limit)
{
    RegularFile file(path);
    if (!file.isOpen() || file.size() > limit)
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
        const qint64 got = file.read(buffer.data() + carried, Block);
        if (got < 0)
            return std::nullopt;
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
