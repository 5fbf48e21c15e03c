#pragma once

// One SQLite connection, closed when it goes. Used from one thread at a time
// (each thread that needs the database opens its own). Failures come back as
// values; errorCode() and errorMessage() tell the last one.

#include "lyricsindex/SqliteStatement.h"

#include <QString>

#include <optional>

class SqliteDb
{
public:
    SqliteDb() = default;
    ~SqliteDb();
    SqliteDb(const SqliteDb &) = delete;
    SqliteDb &operator=(const SqliteDb &) = delete;

    // create: make the file when it is not there.
    bool open(const QString &path, bool create);
    void close();
    bool isOpen() const { return db != nullptr; }

    // One or more statements that return no rows of interest.
    bool exec(const char *sql);
    // An invalid statement when the text does not prepare; errorCode() says why.
    SqliteStatement prepare(const char *sql);
    // The first column of the first row; nothing on failure or when there is no row.
    std::optional<qint64> queryInt(const char *sql);
    std::optional<QString> queryText(const char *sql);

    qint64 lastInsertRowId() const;
    // Rows changed since the connection was opened.
    qint64 totalChanges() const;

    // Makes the running statement of this connection fail with SQLITE_INTERRUPT.
    // Safe from any thread while the connection is open.
    void interrupt();
    // Called now and then while a statement runs; returning true interrupts it.
    void setProgressHandler(int (*handler)(void *), void *context, int everyInstructions);

    // Of the last call that reported (SQLITE_OK after one that went well).
    int errorCode() const { return lastCode; }
    QString errorMessage() const { return lastMessage; }
    // Remembers a failure reported by a statement of this connection.
    void noteFailure(const SqliteStatement &statement);

    // True for result codes that mean the file is not a sound database.
    static bool isDamage(int code);

private:
    // Steps s to its first row: false when it has none or fails.
    bool firstRow(SqliteStatement &s);
    bool record(int rc);

    struct sqlite3 *db = nullptr;
    int lastCode = 0;
    QString lastMessage;
};
