#include "text/TextFile.h"

#include "text/Cp1252.h"
#include "text/LosslessText.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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
    if (!file.open(QIODevice::ReadOnly))
        return result;
    // The file may have grown since it was measured; never past the limit.
    result.bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError) {
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
