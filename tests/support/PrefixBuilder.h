#pragma once

// Builds a Wine prefix for a test: its system.reg, the C: drive link and,
// when the downloader is "installed", its folder with a lyrics cache.

#include <QByteArray>
#include <QString>

class PrefixBuilder
{
public:
    // folder is created if needed.
    explicit PrefixBuilder(const QString &folder);

    QString folder() const { return root; }
    // The install folder as the program maps it, through the C: drive link:
    // "<prefix>/dosdevices/c:/Program Files/Wordhive".
    QString installFolder() const;
    QString cacheFolder() const { return installFolder() + QStringLiteral("/lyrics/"); }

    // A registry naming C:\Program Files\Wordhive under the 32-bit view, and
    // `songs` lyrics files in letter folders of the cache.
    PrefixBuilder &withDownloader(int songs = 1);
    // A Wine registry without the downloader's key.
    PrefixBuilder &withoutDownloader();
    // system.reg exactly as given.
    PrefixBuilder &registry(const QByteArray &content);

    static QByteArray registryWithDownloader();

private:
    QString root;
};
