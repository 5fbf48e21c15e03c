#include "playback/SongPlayerModule.h"

#include <QCoreApplication>
#include <QLibrary>

using namespace Qt::StringLiterals;

QString songPlayerModulePath()
{
    return QCoreApplication::applicationDirPath() + u"/../" STANZABOX_MODULE_DIR "/stanzabox-playback.so"_s;
}

std::unique_ptr<SongPlayer> loadSongPlayer(QString *error)
{
    // Kept loaded for the rest of the run: a player may outlive any one
    // caller, and unloading Qt Multimedia is not supported.
    static QLibrary module(songPlayerModulePath());
    if (!module.isLoaded() && !module.load()) {
        if (error)
            *error = module.errorString();
        return nullptr;
    }
    const auto make = reinterpret_cast<MakeSongPlayerFunction *>(module.resolve(STANZABOX_SONG_PLAYER_ENTRY));
    if (!make) {
        if (error)
            *error = module.errorString();
        return nullptr;
    }
    return std::unique_ptr<SongPlayer>(make());
}
