#include "music/MusicCache.h"

#include "lyricsindex/LyricsIndex.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

QString MusicCache::defaultFile()
{
    return LyricsIndex::defaultFolder() + u"/music.sqlite"_s;
}

bool MusicCache::open(const QString &file)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (db.open(file, true) && createSchema())
            return true;
        // Damaged, or not ours: it only ever held what the files say.
        insert = SqliteStatement();
        erase = SqliteStatement();
        under = SqliteStatement();
        db.close();
        QFile::remove(file);
        QFile::remove(file + u"-wal"_s);
        QFile::remove(file + u"-shm"_s);
    }
    return false;
}

bool MusicCache::createSchema()
{
    if (!db.exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"))
        return false;
    const std::optional<qint64> version = db.queryInt("PRAGMA user_version");
    if (!version)
        return false;
    if (*version != 0 && *version != kSchemaVersion)
        return false;
    if (*version == 0) {
        if (!db.exec("CREATE TABLE IF NOT EXISTS tracks(path TEXT PRIMARY KEY, size INTEGER, mtime INTEGER, "
                     "artist TEXT, title TEXT, lyrics INTEGER, source INTEGER) WITHOUT ROWID;"
                     "PRAGMA user_version=1;"))
            return false;
    }
    insert = db.prepare("INSERT OR REPLACE INTO tracks VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    erase = db.prepare("DELETE FROM tracks WHERE path = ?1");
    // Paths under root: from "root/" up to "root0" ('0' follows '/').
    under = db.prepare("SELECT path, size, mtime, artist, title, lyrics, source FROM tracks "
                       "WHERE path >= ?1 AND path < ?2");
    return insert.isValid() && erase.isValid() && under.isValid()
        && db.queryInt("SELECT count(*) FROM tracks").has_value();
}

QHash<QString, MusicTrack> MusicCache::tracksUnder(const QString &root)
{
    QHash<QString, MusicTrack> tracks;
    if (!db.isOpen())
        return tracks;
    QString from = root;
    while (from.endsWith(u'/'))
        from.chop(1);
    under.bind(1, QString(from + u'/'));
    under.bind(2, QString(from + u'0'));
    while (under.step() == SqliteStatement::Step::Row) {
        MusicTrack t;
        t.Path = under.text(0);
        t.Size = under.int64(1);
        t.ModifiedNs = under.int64(2);
        t.Artist = under.text(3);
        t.Title = under.text(4);
        t.HasLyrics = under.int64(5) != 0;
        t.From = MusicTrack::Source(std::clamp<qint64>(under.int64(6), 0, 3));
        tracks.insert(t.Path, t);
    }
    under.reset();
    return tracks;
}

bool MusicCache::begin()
{
    return db.exec("BEGIN");
}

bool MusicCache::commit()
{
    return db.exec("COMMIT");
}

bool MusicCache::put(const MusicTrack &t)
{
    if (!db.isOpen())
        return false;
    insert.bind(1, t.Path);
    insert.bind(2, t.Size);
    insert.bind(3, t.ModifiedNs);
    insert.bind(4, t.Artist);
    insert.bind(5, t.Title);
    insert.bind(6, qint64(t.HasLyrics));
    insert.bind(7, qint64(t.From));
    return insert.run();
}

bool MusicCache::remove(const QString &path)
{
    if (!db.isOpen())
        return false;
    erase.bind(1, path);
    return erase.run();
}
