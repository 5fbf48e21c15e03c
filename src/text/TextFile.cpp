#include "text/TextFile.h"

#include "text/Cp1252.h"
#include "text/LosslessText.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

std::optional<QString> readTextFile(const QString &path, TextEncoding encoding)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return encoding == TextEncoding::CodePage ? Cp1252::decode(bytes) : LosslessText::decode(bytes);
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return WriteResult::Failed;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return WriteResult::Failed;
    }
    return file.commit() ? WriteResult::Written : WriteResult::Failed;
}
