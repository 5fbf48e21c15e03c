#include "support/LibraryBuilder.h"

#include "text/Cp1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

LibraryBuilder::LibraryBuilder(const QString &root)
    : cache(root.endsWith(u'/') ? root : root + u'/')
{
    QDir().mkpath(cache);
}

LibraryBuilder &LibraryBuilder::file(const QString &relativePath, const QByteArray &content)
{
    const QString path = cache + relativePath;
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        qFatal("cannot write fixture %s", qPrintable(path));
    return *this;
}

LibraryBuilder &LibraryBuilder::folder(const QString &relativePath)
{
    QDir().mkpath(cache + relativePath);
    return *this;
}

LibraryBuilder &LibraryBuilder::song(const QString &letter, const QString &fileName,
                                     const QByteArray &content, bool withKas)
{
    file(letter + u'/' + fileName, content);
    if (withKas)
        file(letter + u'/' + fileName.chopped(3) + QStringLiteral("kas"), QByteArray("FaV1;\r\n"));
    return *this;
}

QByteArray LibraryBuilder::crlf(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += Cp1252::encode(line) + "\r\n";
    return bytes;
}

QByteArray LibraryBuilder::bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
