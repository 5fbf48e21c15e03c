#include "app/MusicFolder.h"

#include "platform/Platform.h"

#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {
const QString kApplication = u"Vesk"_s;
const QString kSection = u"Config"_s;
const QString kKey = u"MusicFolder"_s;
} // namespace

QString musicFolderSetting(Platform &platform)
{
    const QString chosen = platform.readSetting(kApplication, kSection, kKey, QString());
    return chosen.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::MusicLocation) : chosen;
}

void rememberMusicFolder(Platform &platform, const QString &folder)
{
    platform.writeSetting(kApplication, kSection, kKey, folder);
}
