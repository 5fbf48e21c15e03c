#include "support/PrefixBuilder.h"

#include "support/LibraryBuilder.h"

#include <QDir>
#include <QFile>

namespace {

const QByteArray kHeader = "WINE REGISTRY Version 2\n"
                           ";; All keys relative to REGISTRY\\\\Machine\n"
                           "\n"
                           "#arch=win64\n"
                           "\n";

} // namespace

PrefixBuilder::PrefixBuilder(const QString &folder) : root(folder)
{
    QDir().mkpath(root);
}

QString PrefixBuilder::installFolder() const
{
    return root + QStringLiteral("/dosdevices/c:/Program Files/Wordhive");
}

QByteArray PrefixBuilder::registryWithDownloader()
{
    return kHeader
        + "[Software\\\\Wine] 1796740575\n"
          "\"Version\"=\"win10\"\n"
          "\n"
          "[Software\\\\Wow6432Node\\\\Quorvane\\\\Wordhive] 1796740575\n"
          "#time=1dd87217ad50d16\n"
          "\"InstallDir\"=\"C:\\\\Program Files\\\\Wordhive\"\n";
}

PrefixBuilder &PrefixBuilder::registry(const QByteArray &content)
{
    LibraryBuilder(root).file(QStringLiteral("system.reg"), content);
    return *this;
}

PrefixBuilder &PrefixBuilder::withDownloader(int songs)
{
    registry(registryWithDownloader());
    QDir().mkpath(root + QStringLiteral("/drive_c"));
    QDir().mkpath(root + QStringLiteral("/dosdevices"));
    QFile::link(QStringLiteral("../drive_c"), root + QStringLiteral("/dosdevices/c:"));
    LibraryBuilder cache(cacheFolder());
    for (int i = 0; i < songs; ++i)
        cache.song(QString(QChar(u'A' + i % 26)), QStringLiteral("Artist %1 - Song.txt").arg(i));
    return *this;
}

PrefixBuilder &PrefixBuilder::withoutDownloader()
{
    return registry(kHeader + "[Software\\\\Wine] 1796740575\n\"Version\"=\"win10\"\n");
}
