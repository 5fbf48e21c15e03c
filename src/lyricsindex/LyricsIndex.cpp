#include "lyricsindex/LyricsIndex.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sqlite3.h>

#include <chrono>

using namespace Qt::StringLiterals;

namespace {

// "Stzb": tells this program's index files from any other SQLite file.
constexpr qint64 kApplicationId = 0x5374'7A62;

const char *const kSchema =
    "PRAGMA application_id = 1400142434;"
    "PRAGMA user_version = 2;"
    "CREATE TABLE meta(name TEXT PRIMARY KEY, value TEXT NOT NULL) WITHOUT ROWID;"
    // AUTOINCREMENT: a row id is never given out twice, so a dead row's
    // words can never be taken for a new song's.
    "CREATE TABLE files(id INTEGER PRIMARY KEY AUTOINCREMENT, key TEXT NOT NULL UNIQUE,"
    " size INTEGER NOT NULL, mtime_ns INTEGER NOT NULL);"
    "CREATE TABLE dead(id INTEGER PRIMARY KEY);"
    // The program's own words (lyricsindex/WordTokenizer.h). Two-letter
    // prefixes have an index of their own: a word being typed is looked up
    // from its second letter.
    "CREATE VIRTUAL TABLE lyrics USING fts5(artist, title, body, content='',"
    " tokenize='stanzabox_words', prefix='2');";
static_assert(kApplicationId == 1400142434);
static_assert(LyricsIndex::kSchemaVersion == 2, "kSchema sets the version");

QString normalizedCachePath(const QString &cachePath)
{
    return QDir::cleanPath(QFileInfo(cachePath).absoluteFilePath());
}

QString tr(const char *text)
{
    return QCoreApplication::translate("LyricsIndex", text);
}

// The database and the files SQLite keeps beside it. Only regular files (or
// links) are taken away; anything else at those names stays.
bool dropFiles(const QString &file, QString &error)
{
    for (const QString &name : {file, file + u"-wal"_s, file + u"-shm"_s, file + u"-journal"_s}) {
        const QFileInfo info(name);
        if (!info.exists() && !info.isSymLink())
            continue;
        if (info.isDir()) {
            error = tr("%1 is a folder, not an index file").arg(QDir::toNativeSeparators(name));
            return false;
        }
        if (!QFile::remove(name)) {
            error = tr("%1 cannot be replaced").arg(QDir::toNativeSeparators(name));
            return false;
        }
    }
    return true;
}

} // namespace

QString LyricsIndex::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + u"/Vesk/Stanzabox"_s;
}

QString LyricsIndex::fileFor(const QString &folder, const QString &cachePath)
{
    const QByteArray hash =
        QCryptographicHash::hash(normalizedCachePath(cachePath).toUtf8(), QCryptographicHash::Sha1).toHex();
    return folder + u"/lyrics-"_s + QString::fromLatin1(hash.left(16)) + u".sqlite"_s;
}

LyricsIndex::LyricsIndex() = default;

LyricsIndex::~LyricsIndex()
{
    close();
}

void LyricsIndex::close()
{
    // Statements first: the connection goes with the last of them.
    selectStamp = {};
    insertFile = {};
    deleteFile = {};
    insertDead = {};
    insertText = {};
    countFiles = {};
    countDead = {};
    matching = {};
    ranked = {};
    keyOf = {};
    deadIds = {};
    dead.clear();
    deadVersion = -1;
    db.close();
}

bool LyricsIndex::fail(const QString &what)
{
    // Kept: a rollback after the failure would clear the connection's own.
    failCode = db.errorCode();
    damaged = SqliteDb::isDamage(failCode);
    error = db.errorMessage().isEmpty() ? what : what + u": "_s + db.errorMessage();
    return false;
}

bool LyricsIndex::failWith(const SqliteStatement &statement, const QString &what)
{
    db.noteFailure(statement);
    return fail(what);
}

bool LyricsIndex::openForWriting(const QString &file, const QString &cachePath, bool fresh)
{
    close();
    path = file;
    error.clear();
    damaged = false;
    afresh = false;
    const QString folder = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(folder)) {
        error = tr("the folder %1 cannot be made").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    if (fresh) {
        if (!dropFiles(file, error))
            return false;
        afresh = true;
    }
    const Attempt first = tryOpenForWriting(cachePath);
    if (first == Attempt::Opened)
        return true;
    close();
    if (first == Attempt::GiveUp || !dropFiles(file, error))
        return false;
    afresh = true;
    error.clear();
    damaged = false;
    if (tryOpenForWriting(cachePath) == Attempt::Opened)
        return true;
    close();
    return false;
}

LyricsIndex::Attempt LyricsIndex::tryOpenForWriting(const QString &cachePath)
{
    // Failures that are not the file's own: dropping it would not help.
    auto notTheFile = [this] {
        return failCode == SQLITE_BUSY || failCode == SQLITE_LOCKED || failCode == SQLITE_NOMEM
            || failCode == SQLITE_FULL;
    };
    const QString shown = QDir::toNativeSeparators(path);
    if (QFileInfo(path).isDir()) {
        error = tr("%1 is a folder, not an index file").arg(shown);
        return Attempt::GiveUp;
    }
    if (!db.open(path, true)) {
        fail(tr("cannot open %1").arg(shown));
        return QFileInfo(path).isFile() && !notTheFile() ? Attempt::DropFile : Attempt::GiveUp;
    }

    bool fts5 = false;
    {
        SqliteStatement options = db.prepare("PRAGMA compile_options");
        while (options.step() == SqliteStatement::Step::Row)
            fts5 = fts5 || options.text(0) == u"ENABLE_FTS5"_s;
    }
    if (!fts5) {
        error = tr("the SQLite library of this system is built without full-text search (FTS5)");
        return Attempt::GiveUp;
    }
    // A small page cache: the index is read and written in passes, not
    // searched over and over on this connection.
    db.exec("PRAGMA busy_timeout = 3000; PRAGMA cache_size = -512");

    const std::optional<qint64> version = db.queryInt("PRAGMA user_version");
    const std::optional<qint64> tables = version ? db.queryInt("SELECT count(*) FROM sqlite_master") : std::nullopt;
    if (!tables) {
        fail(tr("cannot read %1").arg(shown));
        return notTheFile() ? Attempt::GiveUp : Attempt::DropFile;
    }
    // A big build or merge grows the write-ahead log to the size of the
    // index; after each checkpoint it goes back to a few megabytes.
    if (*tables == 0) {
        if (!db.queryText("PRAGMA journal_mode = WAL")
            || !db.exec("PRAGMA synchronous = NORMAL; PRAGMA journal_size_limit = 8388608")) {
            fail(tr("cannot set up %1").arg(shown));
            return notTheFile() || !damaged ? Attempt::GiveUp : Attempt::DropFile;
        }
        if (!createSchema(cachePath))
            return notTheFile() || !damaged ? Attempt::GiveUp : Attempt::DropFile;
        afresh = true;
    } else {
        const std::optional<qint64> application = db.queryInt("PRAGMA application_id");
        if (*version != kSchemaVersion || application != kApplicationId) {
            error = tr("the index is of another version");
            return Attempt::DropFile;
        }
        const std::optional<QString> indexed = db.queryText("SELECT value FROM meta WHERE name = 'cache_path'");
        if (indexed != normalizedCachePath(cachePath)) {
            error = tr("the index is of another folder");
            return notTheFile() ? Attempt::GiveUp : Attempt::DropFile;
        }
        if (!db.queryText("PRAGMA journal_mode = WAL")
            || !db.exec("PRAGMA synchronous = NORMAL; PRAGMA journal_size_limit = 8388608")) {
            fail(tr("cannot set up %1").arg(shown));
            return notTheFile() ? Attempt::GiveUp : Attempt::DropFile;
        }
    }
    return prepareWriter() ? Attempt::Opened : Attempt::DropFile;
}

bool LyricsIndex::createSchema(const QString &cachePath)
{
    if (!db.exec("BEGIN IMMEDIATE"))
        return fail(tr("cannot make the index in %1").arg(QDir::toNativeSeparators(path)));
    SqliteStatement meta;
    const bool ok = db.exec(kSchema)
        && (meta = db.prepare("INSERT INTO meta(name, value) VALUES('cache_path', ?1)")).isValid()
        && meta.bind(1, normalizedCachePath(cachePath)) && meta.run();
    if (!ok) {
        db.noteFailure(meta);
        fail(tr("cannot make the index in %1").arg(QDir::toNativeSeparators(path)));
        db.exec("ROLLBACK");
        return false;
    }
    return db.exec("COMMIT") || fail(tr("cannot make the index in %1").arg(QDir::toNativeSeparators(path)));
}

bool LyricsIndex::prepareWriter()
{
    selectStamp = db.prepare("SELECT id, size, mtime_ns FROM files WHERE key = ?1");
    insertFile = db.prepare("INSERT INTO files(key, size, mtime_ns) VALUES(?1, ?2, ?3)");
    deleteFile = db.prepare("DELETE FROM files WHERE id = ?1");
    insertDead = db.prepare("INSERT OR IGNORE INTO dead(id) VALUES(?1)");
    insertText = db.prepare("INSERT INTO lyrics(rowid, artist, title, body) VALUES(?1, ?2, ?3, ?4)");
    countFiles = db.prepare("SELECT count(*) FROM files");
    countDead = db.prepare("SELECT count(*) FROM dead");
    for (const SqliteStatement *s :
         {&selectStamp, &insertFile, &deleteFile, &insertDead, &insertText, &countFiles, &countDead}) {
        if (!s->isValid())
            return fail(tr("the index does not have the expected tables"));
    }
    return true;
}

bool LyricsIndex::openForReading(const QString &file)
{
    close();
    path = file;
    error.clear();
    damaged = false;
    if (!QFileInfo(file).isFile()) {
        error = tr("there is no index at %1").arg(QDir::toNativeSeparators(file));
        return false;
    }
    if (!db.open(file, false))
        return fail(tr("cannot open %1").arg(QDir::toNativeSeparators(file)));
    db.exec("PRAGMA query_only = 1; PRAGMA busy_timeout = 1000; PRAGMA cache_size = -512");
    const std::optional<qint64> version = db.queryInt("PRAGMA user_version");
    if (version != kSchemaVersion) {
        if (!version)
            return fail(tr("cannot read %1").arg(QDir::toNativeSeparators(file)));
        error = tr("the index is of another version");
        close();
        return false;
    }
    matching = db.prepare("SELECT rowid FROM lyrics WHERE lyrics MATCH ?1");
    ranked = db.prepare("SELECT rowid FROM lyrics WHERE lyrics MATCH ?1 ORDER BY rank");
    keyOf = db.prepare("SELECT key FROM files WHERE id = ?1");
    deadIds = db.prepare("SELECT id FROM dead");
    if (!matching.isValid() || !ranked.isValid() || !keyOf.isValid() || !deadIds.isValid()) {
        fail(tr("the index does not have the expected tables"));
        close();
        return false;
    }
    return true;
}

bool LyricsIndex::begin()
{
    return db.exec("BEGIN IMMEDIATE") || fail(tr("cannot write the index"));
}

bool LyricsIndex::commit()
{
    return db.exec("COMMIT") || fail(tr("cannot write the index"));
}

void LyricsIndex::rollback()
{
    db.exec("ROLLBACK");
}

bool LyricsIndex::fileStamps(const QString &folder, QHash<QString, FileStamp> &stamps)
{
    // Keys run from "D/" up to, not including, "D0": '0' follows '/'.
    SqliteStatement some = db.prepare("SELECT key, size, mtime_ns FROM files WHERE key >= ?1 AND key < ?2");
    if (!some.isValid() || !some.bind(1, QString(folder + u'/')) || !some.bind(2, QString(folder + u'0')))
        return fail(tr("cannot read the index"));
    stamps.clear();
    SqliteStatement::Step step;
    while ((step = some.step()) == SqliteStatement::Step::Row)
        stamps.insert(some.text(0), FileStamp{some.int64(1), some.int64(2)});
    return step == SqliteStatement::Step::Done || failWith(some, tr("cannot read the index"));
}

bool LyricsIndex::keysOutside(const QStringList &folders, QStringList &keys)
{
    QByteArray sql = "SELECT key FROM files WHERE substr(key, 1, instr(key, '/')) NOT IN (''";
    for (qsizetype i = 0; i < folders.size(); ++i)
        sql += ", ?" + QByteArray::number(i + 1);
    sql += ')';
    SqliteStatement outside = db.prepare(sql.constData());
    bool bound = outside.isValid();
    for (qsizetype i = 0; bound && i < folders.size(); ++i)
        bound = outside.bind(int(i + 1), QString(folders[i] + u'/'));
    if (!bound)
        return fail(tr("cannot read the index"));
    SqliteStatement::Step step;
    while ((step = outside.step()) == SqliteStatement::Step::Row)
        keys << outside.text(0);
    return step == SqliteStatement::Step::Done || failWith(outside, tr("cannot read the index"));
}

std::optional<FileStamp> LyricsIndex::stampOf(const QString &key)
{
    selectStamp.bind(1, key);
    std::optional<FileStamp> stamp;
    const SqliteStatement::Step step = selectStamp.step();
    if (step == SqliteStatement::Step::Row)
        stamp = FileStamp{selectStamp.int64(1), selectStamp.int64(2)};
    else if (step == SqliteStatement::Step::Error)
        failWith(selectStamp, tr("cannot read the index"));
    selectStamp.reset();
    return stamp;
}

bool LyricsIndex::removeSong(const QString &key)
{
    selectStamp.bind(1, key);
    const SqliteStatement::Step step = selectStamp.step();
    const qint64 id = step == SqliteStatement::Step::Row ? selectStamp.int64(0) : -1;
    selectStamp.reset();
    if (step == SqliteStatement::Step::Error)
        return failWith(selectStamp, tr("cannot read the index"));
    if (id < 0)
        return true;
    if (!insertDead.bind(1, id) || !insertDead.run())
        return failWith(insertDead, tr("cannot write the index"));
    if (!deleteFile.bind(1, id) || !deleteFile.run())
        return failWith(deleteFile, tr("cannot write the index"));
    return true;
}

bool LyricsIndex::putSong(const QString &key, const FileStamp &stamp, QStringView artist, QStringView title,
                          QStringView lyrics)
{
    if (!removeSong(key))
        return false;
    if (!insertFile.bind(1, key) || !insertFile.bind(2, stamp.Size) || !insertFile.bind(3, stamp.ModifiedNs)
        || !insertFile.run())
        return failWith(insertFile, tr("cannot write the index"));
    const qint64 id = db.lastInsertRowId();
    if (!insertText.bind(1, id) || !insertText.bind(2, artist) || !insertText.bind(3, title)
        || !insertText.bind(4, lyrics) || !insertText.run())
        return failWith(insertText, tr("cannot write the index"));
    return true;
}

qint64 LyricsIndex::songCount()
{
    const bool ok = countFiles.step() == SqliteStatement::Step::Row;
    const qint64 n = ok ? countFiles.int64(0) : 0;
    countFiles.reset();
    return n;
}

qint64 LyricsIndex::deadCount()
{
    const bool ok = countDead.step() == SqliteStatement::Step::Row;
    const qint64 n = ok ? countDead.int64(0) : 0;
    countDead.reset();
    return n;
}

bool LyricsIndex::clear()
{
    // 'delete-all' empties a contentless table without its old text.
    if (!db.exec("INSERT INTO lyrics(lyrics) VALUES('delete-all'); DELETE FROM files; DELETE FROM dead;"))
        return fail(tr("cannot write the index"));
    return true;
}

bool LyricsIndex::mergeStep(bool first, int pages)
{
    error.clear();
    // A negative count puts all segments up for merging, as 'optimize' does,
    // but the work is done in steps.
    SqliteStatement merge = db.prepare("INSERT INTO lyrics(lyrics, rank) VALUES('merge', ?1)");
    const qint64 before = db.totalChanges();
    if (!merge.isValid() || !merge.bind(1, qint64(first ? -pages : pages)) || !merge.run())
        return failWith(merge, tr("cannot write the index"));
    // FTS5 tells nothing else about it: a step that changed fewer than two
    // rows found nothing to merge.
    return db.totalChanges() - before >= 2;
}

void LyricsIndex::interrupt()
{
    db.interrupt();
}

bool LyricsIndex::loadDeadIds()
{
    // data_version changes when another connection commits: only then can
    // the dead rows have changed.
    const std::optional<qint64> version = db.queryInt("PRAGMA data_version");
    if (!version)
        return fail(tr("cannot read the index"));
    if (*version == deadVersion)
        return true;
    dead.clear();
    SqliteStatement::Step step;
    while ((step = deadIds.step()) == SqliteStatement::Step::Row)
        dead.insert(deadIds.int64(0));
    deadIds.reset();
    if (step == SqliteStatement::Step::Error)
        return failWith(deadIds, tr("cannot read the index"));
    deadVersion = *version;
    return true;
}
