#pragma once

// What the music files' tags said, kept between runs in an SQLite file of
// its own (by path, with the size and modification time that tell whether a
// file changed), so that a second start reads only what changed. A cache:
// a file that is damaged or of another version is dropped and made anew.

#include "lyricsindex/SqliteDb.h"
#include "music/MusicTrack.h"

#include <QHash>
#include <QString>

class MusicCache
{
public:
    static constexpr int kSchemaVersion = 1;

    // music.sqlite in the program's cache folder ($XDG_CACHE_HOME/Vesk/Stanzabox).
    static QString defaultFile();

    // False when no cache can be had there; the reads then simply are not kept.
    bool open(const QString &file);
    bool isOpen() const { return db.isOpen(); }

    // The tracks kept for files under root, by path.
    QHash<QString, MusicTrack> tracksUnder(const QString &root);

    bool begin();
    bool commit();
    bool put(const MusicTrack &track);
    bool remove(const QString &path);

private:
    bool createSchema();

    SqliteDb db;
    SqliteStatement insert, erase, under;
};
