// Looking words up in the lyrics index: best first while there are few
// enough matches to rank, within a time budget.

#include "lyricsindex/LyricsIndex.h"

#include <QCoreApplication>

#include <sqlite3.h>

#include <chrono>

namespace {

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QString tr(const char *text)
{
    return QCoreApplication::translate("LyricsIndex", text);
}

} // namespace

int LyricsIndex::budgetCheck(void *context)
{
    auto *self = static_cast<LyricsIndex *>(context);
    if (nowNs() - self->startedNs <= self->budgetNs)
        return 0;
    self->stoppedByBudget = true;
    return 1;
}

bool LyricsIndex::search(const QString &matchExpression, int limit, Hits &hits, int budgetMs, int mostRanked)
{
    hits = {};
    stoppedByBudget = false;
    damaged = false;
    if (!db.isOpen() || !ranked.isValid()) {
        if (error.isEmpty())
            error = tr("the index is not open");
        return false;
    }
    if (budgetMs > 0) {
        budgetNs = qint64(budgetMs) * 1000000;
        startedNs = nowNs();
        db.setProgressHandler(&LyricsIndex::budgetCheck, this, 1000);
    }
    // One read transaction: the dead rows, the matches and the keys all come
    // from the same state of the index while the writer goes on.
    bool ok = db.exec("BEGIN") && loadDeadIds();
    if (!ok && error.isEmpty())
        fail(tr("cannot read the index"));
    // First what matches, cheaply, in the order of the row ids; then, when
    // that is not too many, the same ranked.
    std::vector<qint64> found;
    auto collect = [&](SqliteStatement &statement, bool stopAtLimit) {
        ok = statement.bind(1, matchExpression);
        SqliteStatement::Step step = SqliteStatement::Step::Error;
        while (ok && (step = statement.step()) == SqliteStatement::Step::Row) {
            const qint64 id = statement.int64(0);
            if (!dead.contains(id)) {
                found.push_back(id);
                if (stopAtLimit && int(found.size()) >= limit)
                    break;
            }
        }
        if (step == SqliteStatement::Step::Error)
            ok = failWith(statement, tr("cannot search the index"));
        statement.reset();
    };
    if (ok)
        collect(matching, false);
    hits.Total = int(found.size());
    if (ok && hits.Total <= mostRanked) {
        found.clear();
        collect(ranked, true);
        hits.Ranked = true;
    }
    if (int(found.size()) > limit)
        found.resize(size_t(limit));
    for (size_t i = 0; ok && i < found.size(); ++i) {
        keyOf.bind(1, found[i]);
        const SqliteStatement::Step step = keyOf.step();
        if (step == SqliteStatement::Step::Row)
            hits.Keys.push_back(keyOf.text(0));
        else if (step == SqliteStatement::Step::Error)
            ok = failWith(keyOf, tr("cannot read the index"));
        keyOf.reset();
    }
    // Without the budget first, or the end of the transaction would be stopped too.
    if (budgetMs > 0)
        db.setProgressHandler(nullptr, nullptr, 0);
    db.exec(ok ? "COMMIT" : "ROLLBACK");
    if (!ok)
        hits = {};
    return ok;
}
