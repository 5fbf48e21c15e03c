#include "platform/FileIdentity.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

FileIdentity fileIdentity(const QString &path)
{
    struct stat st;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {quint64(st.st_dev), quint64(st.st_ino)};
}

QString findFileByIdentity(const QString &root, const QStringList &folders, const FileIdentity &identity)
{
    if (!identity.isKnown())
        return {};
    for (const QString &folder : folders) {
        const QDir dir(root + folder);
        const QStringList names = dir.entryList({u"*.txt"_s}, QDir::Files | QDir::Hidden | QDir::System);
        for (const QString &name : names) {
            if (fileIdentity(dir.filePath(name)) == identity)
                return folder + u'/' + name;
        }
    }
    return {};
}
