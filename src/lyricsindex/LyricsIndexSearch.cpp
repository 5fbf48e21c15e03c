// Looking words up in the lyrics index: best first while there are few
// enough matches to rank, the first page only when there are too many to
// count within the time a keystroke may take.

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
    if (nowNs() <= self->deadlineNs)
        return 0;
    self->stoppedByBudget = true;
    return 1;
}

LyricsIndex::Step LyricsIndex::collect(SqliteStatement &statement, const QString &matchExpression, int limit,
                                       std::vector<qint64> &page, int *counted, qint64 deadline)
{
    stoppedByBudget = false;
    deadlineNs = deadline;
    if (deadline > 0)
        db.setProgressHandler(&LyricsIndex::budgetCheck, this, kInstructionsPerCheck);
    bool ok = statement.bind(1, matchExpression);
    SqliteStatement::Step step = SqliteStatement::Step::Error;
    while (ok && (step = statement.step()) == SqliteStatement::Step::Row) {
        const qint64 id = statement.int64(0);
        if (dead.contains(id))
            continue;
        if (int(page.size()) < limit)
            page.push_back(id);
        if (counted)
            ++*counted;
        else if (int(page.size()) >= limit)
            break;
    }
    if (deadline > 0)
        db.setProgressHandler(nullptr, nullptr, 0);
    const bool stopped = step == SqliteStatement::Step::Error && stoppedByBudget;
    if (step == SqliteStatement::Step::Error && !stopped)
        ok = failWith(statement, tr("cannot search the index"));
    statement.reset();
    return !ok ? Step::Failed : stopped ? Step::OutOfTime : Step::Done;
}

bool LyricsIndex::search(const QString &matchExpression, int limit, Hits &hits, std::chrono::nanoseconds budget,
                         int mostRanked)
{
    hits = {};
    damaged = false;
    if (!db.isOpen() || !ranked.isValid()) {
        if (error.isEmpty())
            error = tr("the index is not open");
        return false;
    }
    const qint64 started = nowNs();
    auto deadline = [&](int share) { return budget.count() > 0 ? started + budget.count() * share / 100 : 0; };
    // One read transaction: the dead rows, the matches and the keys all come
    // from the same state of the index while the writer goes on.
    bool ok = db.exec("BEGIN") && loadDeadIds();
    if (!ok && error.isEmpty())
        fail(tr("cannot read the index"));
    // First what matches, cheaply, in the order of the row ids: the first
    // page kept, all counted - unless that takes too long, and then the
    // first page is what there is.
    std::vector<qint64> page;
    Step step = ok ? collect(matching, matchExpression, limit, page, &hits.Total, deadline(kCountShare)) : Step::Failed;
    hits.Cut = step == Step::OutOfTime;
    ok = step != Step::Failed;
    // Then, when they are few enough, the same ranked in what is left of
    // the time; should that not do, the first page as found.
    hits.Ranked = ok && !hits.Cut && hits.Total <= mostRanked;
    if (hits.Ranked && hits.Total > 0) {
        std::vector<qint64> best;
        step = collect(ranked, matchExpression, limit, best, nullptr, deadline(100));
        ok = step != Step::Failed;
        if (step == Step::Done)
            page = std::move(best);
        else
            hits.Ranked = false;
    }
    for (size_t i = 0; ok && i < page.size(); ++i) {
        keyOf.bind(1, page[i]);
        const SqliteStatement::Step found = keyOf.step();
        if (found == SqliteStatement::Step::Row)
            hits.Keys.push_back(keyOf.text(0));
        else if (found == SqliteStatement::Step::Error)
            ok = failWith(keyOf, tr("cannot read the index"));
        keyOf.reset();
    }
    db.exec(ok ? "COMMIT" : "ROLLBACK");
    if (!ok)
        hits = {};
    return ok;
}
