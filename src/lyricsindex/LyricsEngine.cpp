#include "lyricsindex/LyricsEngine.h"

#include "library/SongNames.h"
#include "lyricsindex/LyricsIndexWorker.h"
#include "lyricsindex/LyricsQuery.h"
#include "lyricsindex/LyricsText.h"
#include "platform/ThreadPriority.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// What the index may take of a search while the user types: counting and
// ranking stop there (two common letters match most of a large library),
// and a first page is shown. With the first rows filled from the files, a
// search stays within 20 ms at 100,000 songs on a busy machine.
constexpr std::chrono::milliseconds kQueryBudget(8);
// Lines longer than this are shown cut around the words found.
constexpr qsizetype kShownLineLength = 160;

// The line without surrounding white space, and cut around the first span
// when it is long; the spans moved along.
void shapeLine(QString &line, std::vector<TextSpan> &spans)
{
    qsizetype start = 0;
    qsizetype end = line.size();
    while (start < end && line.at(start).isSpace())
        ++start;
    while (end > start && line.at(end - 1).isSpace())
        --end;
    QString prefix;
    QString suffix;
    if (end - start > kShownLineLength) {
        const qsizetype first = spans.empty() ? start : std::clamp(spans.front().Start, start, end);
        const qsizetype from = std::max(start, std::min(first - kShownLineLength / 4, end - kShownLineLength));
        if (from > start)
            prefix = u"\u2026"_s;
        if (from + kShownLineLength < end)
            suffix = u"\u2026"_s;
        start = from;
        end = from + kShownLineLength;
    }
    std::vector<TextSpan> moved;
    for (const TextSpan &s : spans) {
        const qsizetype b = std::max(s.Start, start);
        const qsizetype e = std::min(s.Start + s.Length, end);
        if (b < e)
            moved.push_back({b - start + prefix.size(), e - b});
    }
    line = prefix + line.mid(start, end - start) + suffix;
    spans = std::move(moved);
}

} // namespace

LyricsEngine::LyricsEngine(const QString &indexFolder, QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<LyricsSyncReport>();
    thread.setObjectName(u"Lyrics index"_s);
    worker = new LyricsIndexWorker(indexFolder);
    worker->moveToThread(&thread);
    connect(&thread, &QThread::finished, worker, &QObject::deleteLater);

    // What the worker says of a cache folder the engine has left since (the
    // user chose another while a pass ran) is no news of the one it shows.
    connect(worker, &LyricsIndexWorker::opened, this, [this](const QString &folder, const QString &indexFile) {
        if (folder == cachePath)
            opened(indexFile);
    });
    connect(worker, &LyricsIndexWorker::unavailable, this, [this](const QString &folder, const QString &why) {
        if (folder != cachePath)
            return;
        reader.close();
        setState(State::Unavailable, why);
    });
    connect(worker, &LyricsIndexWorker::progress, this, [this](const QString &folder, int d, int t) {
        if (folder != cachePath)
            return;
        done = d;
        total = t;
        if (current != State::Indexing)
            setState(State::Indexing);
        Q_EMIT progress(d, t);
    });
    connect(worker, &LyricsIndexWorker::synced, this, [this](const QString &folder, const LyricsSyncReport &r) {
        if (folder != cachePath)
            return;
        report = r;
        done = total = 0;
        // After damage the rebuild's own pass follows: still indexing.
        if (!rebuildPending) {
            if (reader.isOpen())
                setState(State::Ready);
            else if (current != State::Unavailable)
                setState(State::Unavailable, reason.isEmpty() ? tr("the lyrics index cannot be read") : reason);
        }
        Q_EMIT synced(r);
        Q_EMIT songsChanged();
    });
    connect(worker, &LyricsIndexWorker::songUpdated, this, [this](const QString &folder) {
        if (folder == cachePath)
            Q_EMIT songsChanged();
    });
    connect(worker, &LyricsIndexWorker::merged, this, [this](const QString &folder) {
        if (folder == cachePath)
            Q_EMIT merged();
    });
    connect(worker, &LyricsIndexWorker::damaged, this, [this](const QString &folder) {
        if (folder == cachePath)
            damaged();
    });
    connect(worker, &LyricsIndexWorker::writeFailed, this, [this](const QString &folder, const QString &why) {
        if (folder != cachePath)
            return;
        writeProblem = why;
        Q_EMIT stateChanged();
    });
    // The index is built while the user works: it waits for a processor
    // nothing else wants.
    connect(&thread, &QThread::started, worker, [] { runAtIdlePriority(); }, Qt::DirectConnection);
    thread.start();
}

LyricsEngine::~LyricsEngine()
{
    worker->cancel();
    thread.quit();
    thread.wait();
    reader.close();
}

void LyricsEngine::setState(State state, const QString &why)
{
    current = state;
    reason = why;
    Q_EMIT stateChanged();
}

void LyricsEngine::setCachePath(const QString &path)
{
    // The worker may drop and make the file anew: this connection must not
    // hold it meanwhile (SQLite removes a database's log by its name when the
    // last connection closes, which would hit the new file's). It opens again
    // when the worker says the file is sound; the worker handles requests in
    // order, so that word always comes after the file was dropped.
    reader.close();
    writeProblem.clear();
    if (path.isEmpty()) {
        cachePath.clear();
        setState(State::Unavailable, tr("there is no cache folder"));
        return;
    }
    cachePath = path.endsWith(u'/') ? path : path + u'/';
    done = total = 0;
    setState(State::Indexing);
    QMetaObject::invokeMethod(worker, [w = worker, arg = cachePath] { w->sync(arg); }, Qt::QueuedConnection);
}

void LyricsEngine::resync()
{
    if (cachePath.isEmpty())
        return;
    if (!reader.isOpen()) {
        // Still opening or rebuilding: that pass is on its way.
        if (current == State::Indexing)
            return;
        // An index that was not available may be now (the folder made writable).
        setCachePath(cachePath);
        return;
    }
    writeProblem.clear();
    setState(State::Indexing);
    QMetaObject::invokeMethod(worker, [w = worker, arg = cachePath] { w->sync(arg); }, Qt::QueuedConnection);
}

void LyricsEngine::setMostKeysKept(std::size_t keys)
{
    QMetaObject::invokeMethod(worker, [w = worker, keys] { w->setMostKeysKept(keys); }, Qt::QueuedConnection);
}

void LyricsEngine::songChanged(const QString &key)
{
    QMetaObject::invokeMethod(worker, [w = worker, arg = key] { w->reindex(arg); }, Qt::QueuedConnection);
}

void LyricsEngine::songRemoved(const QString &key)
{
    QMetaObject::invokeMethod(worker, [w = worker, arg = key] { w->remove(arg); }, Qt::QueuedConnection);
}

void LyricsEngine::opened(const QString &indexFile)
{
    rebuildPending = false;
    file = indexFile;
    if (!reader.openForReading(indexFile))
        setState(State::Unavailable, reader.errorString());
}

void LyricsEngine::damaged()
{
    // Close before the worker drops the file: see setCachePath.
    reader.close();
    if (rebuildPending)
        return;
    rebuildPending = true;
    done = total = 0;
    setState(State::Indexing);
    QMetaObject::invokeMethod(worker, [w = worker, arg = cachePath] { w->rebuild(arg); }, Qt::QueuedConnection);
}

bool LyricsEngine::songExists(const QString &key)
{
    if (!LyricsText::isGone(cachePath + key))
        return true;
    songRemoved(key);
    return false;
}

LyricsSearchResult LyricsEngine::search(const QString &text, int limit)
{
    LyricsSearchResult result;
    const LyricsQuery query(text);
    if (query.isEmpty())
        return result;
    if (!reader.isOpen()) {
        result.State = LyricsSearchResult::Status::NotAvailable;
        result.Message = current == State::Unavailable
            ? tr("Lyrics search is not available: %1").arg(reason)
            : tr("The lyrics index is being prepared");
        return result;
    }
    LyricsIndex::Hits hits;
    if (!reader.search(query.matchExpression(), limit, hits, kQueryBudget)) {
        result.State = LyricsSearchResult::Status::NotAvailable;
        if (reader.isDamaged()) {
            result.Message = tr("The lyrics index was damaged and is being built again");
            damaged();
        } else {
            result.Message = tr("Lyrics search is not available: %1").arg(reader.errorString());
        }
        return result;
    }
    result.State = LyricsSearchResult::Status::Found;
    result.StillIndexing = current == State::Indexing;
    result.Total = hits.Total;
    result.Ranked = hits.Ranked;
    result.Cut = hits.Cut;
    const size_t now = std::min(hits.Keys.size(), size_t(kFilledAtOnce));
    int dropped = 0;
    result.Matches = rowsFor(query, hits.Keys.data(), now, dropped);
    result.Total -= dropped;
    result.Unfilled.assign(hits.Keys.begin() + std::ptrdiff_t(now), hits.Keys.end());
    return result;
}

std::vector<LyricsMatch> LyricsEngine::fill(const QString &text, const std::vector<QString> &keys)
{
    int dropped = 0;
    return rowsFor(LyricsQuery(text), keys.data(), keys.size(), dropped);
}

std::vector<LyricsMatch> LyricsEngine::rowsFor(const LyricsQuery &query, const QString *keys, size_t count,
                                               int &dropped)
{
    std::vector<LyricsMatch> rows;
    rows.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const QString &key = keys[i];
        const std::optional<QByteArray> bytes = LyricsText::readHead(cachePath + key, LyricsText::kMaxIndexedBytes);
        if (!bytes) {
            // Not shown: no line to show, nothing the window could open. Out
            // of the index when it has gone; kept when it only cannot be read.
            ++dropped;
            if (LyricsText::isGone(cachePath + key))
                songRemoved(key);
            continue;
        }
        LyricsMatch match;
        match.Key = key;
        // The file's name: every word the index holds for it, even where the
        // tree shows less ("Band - Night Bus - Live" is "Live" under "Band").
        match.Title = nameStem(keyFileName(key)).toString();
        match.TitleSpans = query.occurrences(match.Title);
        const QString lyrics = LyricsText::indexable(*bytes);
        const LyricsQuery::Line line = query.bestLine(lyrics);
        if (line.Number > 0) {
            match.Line = line.Number;
            match.LineText = lyrics.mid(line.Start, line.End - line.Start);
            match.LineSpans = line.Spans;
            shapeLine(match.LineText, match.LineSpans);
        }
        rows.push_back(std::move(match));
    }
    return rows;
}
