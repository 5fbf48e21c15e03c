#include "lyricsindex/SqliteStatement.h"

#include <sqlite3.h>

#include <utility>

SqliteStatement::SqliteStatement(sqlite3 *connection, sqlite3_stmt *prepared)
    : db(connection)
    , statement(prepared)
{
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(statement);
}

SqliteStatement::SqliteStatement(SqliteStatement &&other) noexcept
    : db(std::exchange(other.db, nullptr))
    , statement(std::exchange(other.statement, nullptr))
    , lastCode(other.lastCode)
    , lastMessage(std::move(other.lastMessage))
{
}

SqliteStatement &SqliteStatement::operator=(SqliteStatement &&other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(statement);
        db = std::exchange(other.db, nullptr);
        statement = std::exchange(other.statement, nullptr);
        lastCode = other.lastCode;
        lastMessage = std::move(other.lastMessage);
    }
    return *this;
}

bool SqliteStatement::record(int rc)
{
    if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE)
        return true;
    lastCode = rc;
    lastMessage = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    return false;
}

bool SqliteStatement::bind(int parameter, qint64 value)
{
    if (!statement)
        return false;
    return record(sqlite3_bind_int64(statement, parameter, value));
}

bool SqliteStatement::bind(int parameter, QStringView text)
{
    if (!statement)
        return false;
    // An empty view may have no data pointer, which SQLite would take for NULL.
    static const char16_t empty = 0;
    const void *data = text.isEmpty() ? static_cast<const void *>(&empty) : static_cast<const void *>(text.utf16());
    return record(sqlite3_bind_text16(statement, parameter, data, int(text.size() * 2), SQLITE_TRANSIENT));
}

SqliteStatement::Step SqliteStatement::step()
{
    if (!statement)
        return Step::Error;
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW)
        return Step::Row;
    if (rc == SQLITE_DONE)
        return Step::Done;
    record(rc);
    // The statement is left ready for the next run.
    sqlite3_reset(statement);
    return Step::Error;
}

bool SqliteStatement::run()
{
    Step s;
    do
        s = step();
    while (s == Step::Row);
    reset();
    return s == Step::Done;
}

void SqliteStatement::reset()
{
    if (statement)
        sqlite3_reset(statement);
}

qint64 SqliteStatement::int64(int column) const
{
    return statement ? sqlite3_column_int64(statement, column) : 0;
}

QString SqliteStatement::text(int column) const
{
    if (!statement)
        return {};
    const void *data = sqlite3_column_text16(statement, column);
    const int bytes = sqlite3_column_bytes16(statement, column);
    return data ? QString::fromUtf16(static_cast<const char16_t *>(data), bytes / 2) : QString();
}
