#include "text/TextFile.h"

#include "text/Cp1252.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

std::optional<QString> readTextFile(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return Cp1252::decode(bytes);
}

WriteResult writeTextFile(const QString &path, const QString &text, bool allowLossy)
{
    qsizetype unencodable = 0;
    const QByteArray bytes = Cp1252::encode(text, &unencodable);
    if (unencodable > 0 && !allowLossy)
        return WriteResult::Unencodable;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return WriteResult::Failed;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return WriteResult::Failed;
    }
    return file.commit() ? WriteResult::Written : WriteResult::Failed;
}
