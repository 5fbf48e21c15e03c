#pragma once

// One prepared statement of an SQLite connection: bound, stepped and reset by
// its owner, finalized when it goes. Failures come back as values (the step
// result, false, an error code); nothing here throws.

#include <QString>
#include <QStringView>

struct sqlite3;
struct sqlite3_stmt;

class SqliteStatement
{
public:
    enum class Step { Row, Done, Error };

    SqliteStatement() = default;
    SqliteStatement(sqlite3 *db, sqlite3_stmt *statement);
    ~SqliteStatement();
    SqliteStatement(SqliteStatement &&other) noexcept;
    SqliteStatement &operator=(SqliteStatement &&other) noexcept;
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    bool isValid() const { return statement != nullptr; }

    // Parameters count from 1. Text is copied: the caller's string may go.
    bool bind(int parameter, qint64 value);
    bool bind(int parameter, QStringView text);

    Step step();
    // Steps to the end and resets: for statements that return no rows.
    bool run();
    // Ready to step again from the start; bindings are kept.
    void reset();

    qint64 int64(int column) const;
    QString text(int column) const;

    // The result code of the last failure (SQLITE_OK when none) and its text.
    int errorCode() const { return lastCode; }
    QString errorMessage() const { return lastMessage; }

private:
    bool record(int rc);

    sqlite3 *db = nullptr;
    sqlite3_stmt *statement = nullptr;
    int lastCode = 0;
    QString lastMessage;
};
