#include "lyricsindex/SqliteDb.h"

#include "lyricsindex/WordTokenizer.h"

#include <QFile>

#include <sqlite3.h>

SqliteDb::~SqliteDb()
{
    close();
}

bool SqliteDb::record(int rc)
{
    if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE) {
        lastCode = SQLITE_OK;
        lastMessage.clear();
        return true;
    }
    lastCode = rc;
    lastMessage = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    return false;
}

bool SqliteDb::open(const QString &path, bool create)
{
    // Before SQLite's first use: without its count of the memory in use,
    // an allocation takes no lock that all connections share. The index's
    // worker allocates all the time at idle priority; the window's thread
    // must not wait for it to be scheduled again to search.
    static const bool unshared = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0) == SQLITE_OK;
    Q_UNUSED(unshared);
    close();
    lastCode = SQLITE_OK;
    lastMessage.clear();
    // Each thread has a connection of its own, so SQLite's own locking of a
    // connection is not needed.
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        record(rc);
        close();
        return false;
    }
    sqlite3_extended_result_codes(db, 0);
    // Without FTS5 there is no tokenizer to add; the index says so when it
    // looks for FTS5.
    addWordTokenizer(db);
    return true;
}

void SqliteDb::close()
{
    if (db) {
        // Statements are owned and finalized by their holders before this;
        // close_v2 waits for any that are left instead of failing.
        sqlite3_close_v2(db);
        db = nullptr;
    }
}

bool SqliteDb::exec(const char *sql)
{
    if (!db)
        return record(SQLITE_MISUSE);
    char *message = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
    sqlite3_free(message);
    return record(rc);
}

SqliteStatement SqliteDb::prepare(const char *sql)
{
    if (!db) {
        record(SQLITE_MISUSE);
        return {};
    }
    sqlite3_stmt *statement = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    if (rc != SQLITE_OK) {
        record(rc);
        sqlite3_finalize(statement);
        return {};
    }
    return SqliteStatement(db, statement);
}

bool SqliteDb::firstRow(SqliteStatement &s)
{
    if (!s.isValid())
        return false;
    const SqliteStatement::Step step = s.step();
    if (step == SqliteStatement::Step::Error)
        noteFailure(s);
    return step == SqliteStatement::Step::Row;
}

std::optional<qint64> SqliteDb::queryInt(const char *sql)
{
    SqliteStatement s = prepare(sql);
    if (!firstRow(s))
        return std::nullopt;
    return s.int64(0);
}

std::optional<QString> SqliteDb::queryText(const char *sql)
{
    SqliteStatement s = prepare(sql);
    if (!firstRow(s))
        return std::nullopt;
    return s.text(0);
}

qint64 SqliteDb::lastInsertRowId() const
{
    return db ? sqlite3_last_insert_rowid(db) : 0;
}

qint64 SqliteDb::totalChanges() const
{
    return db ? sqlite3_total_changes64(db) : 0;
}

void SqliteDb::interrupt()
{
    if (db)
        sqlite3_interrupt(db);
}

void SqliteDb::setProgressHandler(int (*handler)(void *), void *context, int everyInstructions)
{
    if (db)
        sqlite3_progress_handler(db, everyInstructions, handler, context);
}

void SqliteDb::noteFailure(const SqliteStatement &statement)
{
    if (statement.errorCode() != SQLITE_OK) {
        lastCode = statement.errorCode();
        lastMessage = statement.errorMessage();
    }
}

bool SqliteDb::isDamage(int code)
{
    return code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
}
