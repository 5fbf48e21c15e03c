#pragma once

// Where the Music window looks for music: the folder the user chose last
// ("MusicFolder" in the settings' Config section), else the desktop's Music
// folder (XDG user dirs).

#include <QString>

class Platform;

QString musicFolderSetting(Platform &platform);
void rememberMusicFolder(Platform &platform, const QString &folder);
