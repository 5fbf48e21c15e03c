#pragma once

// Builds a downloader's cache folder in a temporary folder for a test.

#include <QByteArray>
#include <QString>
#include <QStringList>

class LibraryBuilder
{
public:
    // root is created if needed; cachePath() is root with a trailing '/'.
    explicit LibraryBuilder(const QString &root);

    QString cachePath() const { return cache; }

    // Writes letter/fileName with content, and letter/<name>.kas beside it
    // when withKas is set.
    LibraryBuilder &song(const QString &letter, const QString &fileName,
                         const QByteArray &content = QByteArray("la la\r\n"), bool withKas = false);
    // Any file below the cache folder.
    LibraryBuilder &file(const QString &relativePath, const QByteArray &content);
    LibraryBuilder &folder(const QString &relativePath);

    // A file's bytes, or "<missing>" when it cannot be read.
    static QByteArray bytes(const QString &path);
    // Lines joined and ended by CR LF.
    static QByteArray crlf(const QStringList &lines);

private:
    QString cache;
};
