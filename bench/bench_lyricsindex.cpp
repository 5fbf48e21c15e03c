// The lyrics index on a synthetic library: a build from nothing, a pass with
// nothing changed and one after 100 changed files, searches as the user types
// (one to four letters of a word, then two words), the size of the index
// against the size of the text, and how long a build takes to stop. With
// --compare, the same table built with its text stored in the index (what a
// contentless table saves), searched with FTS5's own snippet() in place of
// reading the files.
//
// With --searches, only the searches, on an index kept in INDEX_FOLDER (built
// there first, quietly, when it is not there yet): started as soon as the
// index can be read, while its pass over the folder goes on at idle
// priority, as on a busy machine at start-up.
//
// Usage: bench_lyricsindex [--compare] CACHE_FOLDER RUNS WORD1 WORD2
//        bench_lyricsindex --searches INDEX_FOLDER CACHE_FOLDER RUNS WORD1 WORD2
// Prints "name value" lines. Changes 100 files of the library per run (a
// line added), so run it after the benchmarks that need the library as made;
// --searches changes nothing.

#include "bench/Median.h"
#include "lyricsindex/LyricsEngine.h"
#include "lyricsindex/LyricsIndex.h"
#include "lyricsindex/LyricsQuery.h"
#include "lyricsindex/LyricsText.h"
#include "lyricsindex/SqliteDb.h"
#include "library/SongNames.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

double waitForSync(LyricsEngine &engine, const std::function<void()> &start)
{
    QEventLoop loop;
    const auto c = QObject::connect(&engine, &LyricsEngine::synced, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    start();
    loop.exec();
    QObject::disconnect(c);
    return timer.nsecsElapsed() / 1e6;
}

qint64 sizeOf(const QString &path)
{
    qint64 total = 0;
    for (const QString &name : {path, path + u"-wal"_s})
        total += QFileInfo(name).size();
    return total;
}

// Every song file below the cache folder: their total size and paths.
std::vector<QString> songFiles(const QString &cache, qint64 &bytes)
{
    std::vector<QString> files;
    bytes = 0;
    QDirIterator it(cache, {u"*.txt"_s}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        files.push_back(it.filePath());
        bytes += it.fileInfo().size();
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The index's part of a search: the query alone, no file read, no line found.
double queryMs(const QString &indexFile, const QString &text, int runs)
{
    LyricsIndex index;
    if (!index.openForReading(indexFile))
        return -1;
    const LyricsQuery query(text);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        LyricsIndex::Hits hits;
        QElapsedTimer t;
        t.start();
        index.search(query.matchExpression(), LyricsEngine::kShownMatches, hits);
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    return median(times);
}

double searchMs(LyricsEngine &engine, const QString &text, int runs, int &total)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        const LyricsSearchResult r = engine.search(text);
        times.push_back(t.nsecsElapsed() / 1e6);
        total = r.State == LyricsSearchResult::Status::Found ? r.Total : -1;
    }
    return median(times);
}

// As the user types the first word letter by letter, then two words, then
// two common words as a quoted phrase: the search with its result rows
// filled, and the index's part alone.
void printSearches(LyricsEngine &engine, const QString &word1, const QString &word2, int runs)
{
    int total = 0;
    for (int letters = 1; letters <= 4 && letters <= word1.size(); ++letters) {
        const double ms = searchMs(engine, word1.left(letters), runs, total);
        std::printf("typed_%d_ms %.2f\ntyped_%d_matches %d\ntyped_%d_index_ms %.2f\n", letters, ms, letters, total,
                    letters, queryMs(engine.indexFile(), word1.left(letters), runs));
    }
    const QString twoWords = word1 + u' ' + word2;
    double ms = searchMs(engine, twoWords, runs, total);
    std::printf("two_words_ms %.2f\ntwo_words_matches %d\ntwo_words_index_ms %.2f\n", ms, total,
                queryMs(engine.indexFile(), twoWords, runs));
    const QString phrase = u'"' + word1.left(2) + u' ' + word2.left(2) + u'"';
    ms = searchMs(engine, phrase, runs, total);
    std::printf("phrase_ms %.2f\nphrase_matches %d\nphrase_index_ms %.2f\n", ms, total,
                queryMs(engine.indexFile(), phrase, runs));
}

// --searches: the index in indexFolder, built first when it is not there.
int searchesOnly(const QString &indexFolder, const QString &cache, int runs, const QString &word1,
                 const QString &word2)
{
    if (!QFileInfo::exists(LyricsIndex::fileFor(indexFolder, cache))) {
        LyricsEngine builder(indexFolder);
        waitForSync(builder, [&] { builder.setCachePath(cache); });
        QEventLoop loop;
        QObject::connect(&builder, &LyricsEngine::merged, &loop, &QEventLoop::quit);
        QTimer::singleShot(300000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    auto engine = std::make_unique<LyricsEngine>(indexFolder);
    engine->setCachePath(cache);
    QElapsedTimer waited;
    waited.start();
    while (engine->search(word1).State != LyricsSearchResult::Status::Found && waited.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    printSearches(*engine, word1, word2, runs);
    // Closing the program while the worker is in its pass.
    QElapsedTimer stop;
    stop.start();
    engine.reset();
    std::printf("stop_ms %.1f\n", stop.nsecsElapsed() / 1e6);
    return 0;
}

// The text stored in the table, for comparison.
void compareStored(const std::vector<QString> &files, const QString &folder,
                   const QString &twoWords, int runs)
{
    const QString file = folder + u"/stored.sqlite"_s;
    SqliteDb db;
    if (!db.open(file, true) || !db.exec("PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL;"
                                         "CREATE VIRTUAL TABLE t USING fts5(artist, title, body,"
                                         " tokenize='stanzabox_words', prefix='2');"))
        return;
    QElapsedTimer timer;
    timer.start();
    db.exec("BEGIN");
    SqliteStatement insert = db.prepare("INSERT INTO t(rowid, artist, title, body) VALUES(?1, ?2, ?3, ?4)");
    qint64 id = 0;
    for (const QString &path : files) {
        const std::optional<QByteArray> bytes = LyricsText::readHead(path, LyricsText::kMaxIndexedBytes);
        if (!bytes)
            continue;
        const QString name = QFileInfo(path).fileName();
        insert.bind(1, ++id);
        insert.bind(2, ExtractArtist(name));
        insert.bind(3, ExtractSong(QStringView(name).chopped(4)));
        insert.bind(4, LyricsText::indexable(*bytes));
        insert.run();
    }
    db.exec("COMMIT");
    db.exec("INSERT INTO t(t) VALUES('optimize')");
    db.exec("PRAGMA wal_checkpoint(TRUNCATE)");
    const double buildMs = timer.nsecsElapsed() / 1e6;
    std::printf("stored_build_ms %.0f\nstored_index_mb %.1f\n", buildMs, sizeOf(file) / 1048576.0);

    const LyricsQuery query(twoWords);
    SqliteStatement top = db.prepare("SELECT rowid, snippet(t, 2, '<b>', '</b>', '...', 12) FROM t"
                                     " WHERE t MATCH ?1 ORDER BY rank LIMIT 200");
    SqliteStatement count = db.prepare("SELECT count(*) FROM t WHERE t MATCH ?1");
    std::vector<double> times;
    qint64 sink = 0;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        top.bind(1, query.matchExpression());
        while (top.step() == SqliteStatement::Step::Row)
            sink += top.text(1).size();
        top.reset();
        count.bind(1, query.matchExpression());
        if (count.step() == SqliteStatement::Step::Row)
            sink += count.int64(0);
        count.reset();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("stored_two_words_ms %.2f\n", sink >= 0 ? median(times) : 0.0);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bool compare = argc == 6 && std::strcmp(argv[1], "--compare") == 0;
    const bool searches = argc == 7 && std::strcmp(argv[1], "--searches") == 0;
    if (argc != 5 && !compare && !searches) {
        std::fprintf(stderr,
                     "usage: %s [--compare] CACHE_FOLDER RUNS WORD1 WORD2\n"
                     "       %s --searches INDEX_FOLDER CACHE_FOLDER RUNS WORD1 WORD2\n",
                     argv[0], argv[0]);
        return 2;
    }
    if (searches) {
        QString cache = QString::fromLocal8Bit(argv[3]);
        if (!cache.endsWith(u'/'))
            cache += u'/';
        return searchesOnly(QString::fromLocal8Bit(argv[2]), cache, std::max(1, std::atoi(argv[4])),
                            QString::fromLocal8Bit(argv[5]), QString::fromLocal8Bit(argv[6]));
    }
    const int first = compare ? 2 : 1;
    QString cache = QString::fromLocal8Bit(argv[first]);
    if (!cache.endsWith(u'/'))
        cache += u'/';
    const int runs = std::max(1, std::atoi(argv[first + 1]));
    const QString word1 = QString::fromLocal8Bit(argv[first + 2]);
    const QString word2 = QString::fromLocal8Bit(argv[first + 3]);
    QTemporaryDir folder;
    qint64 textBytes = 0;
    const std::vector<QString> files = songFiles(cache, textBytes);

    LyricsEngine engine(folder.path());
    const double buildMs = waitForSync(engine, [&] { engine.setCachePath(cache); });
    if (engine.state() != LyricsEngine::State::Ready) {
        std::fprintf(stderr, "index not ready: %s\n", qPrintable(engine.unavailableReason()));
        return 1;
    }
    std::printf("songs %d\nbuild_ms %.0f\n", engine.lastReport().Listed, buildMs);
    {
        // The merge into one segment that follows, in the background.
        QEventLoop loop;
        QObject::connect(&engine, &LyricsEngine::merged, &loop, &QEventLoop::quit);
        QTimer::singleShot(300000, &loop, &QEventLoop::quit);
        QElapsedTimer merge;
        merge.start();
        loop.exec();
        std::printf("merge_ms %.0f\n", merge.nsecsElapsed() / 1e6);
    }
    // The size once the build's log has been written into the file.
    {
        SqliteDb db;
        db.open(engine.indexFile(), false);
        db.exec("PRAGMA wal_checkpoint(TRUNCATE)");
    }
    std::printf("index_mb %.1f\ntext_mb %.1f\n", sizeOf(engine.indexFile()) / 1048576.0, textBytes / 1048576.0);

    std::vector<double> unchanged, changed;
    for (int run = 0; run < runs; ++run)
        unchanged.push_back(waitForSync(engine, [&] { engine.resync(); }));
    for (int run = 0; run < runs; ++run) {
        // 100 files spread over the library, another 100 each run.
        for (int i = 0; i < 100; ++i) {
            QFile f(files[(size_t(run) * 100 + size_t(i)) * 7919 % files.size()]);
            if (f.open(QIODevice::Append))
                f.write("A line that was added\r\n");
        }
        changed.push_back(waitForSync(engine, [&] { engine.resync(); }));
        if (engine.lastReport().Changed != 100)
            std::fprintf(stderr, "expected 100 changed files, the pass found %d\n", engine.lastReport().Changed);
    }
    std::printf("resync_unchanged_ms %.1f\nresync_100_changed_ms %.1f\n", median(unchanged), median(changed));

    printSearches(engine, word1, word2, runs);

    // Closing the program in the middle of a first build: how long the
    // engine takes to stop its worker.
    {
        QTemporaryDir other;
        auto building = std::make_unique<LyricsEngine>(other.path());
        QEventLoop loop;
        int batches = 0;
        QObject::connect(building.get(), &LyricsEngine::progress, &loop, [&] {
            if (++batches == 3)
                loop.quit();
        });
        building->setCachePath(cache);
        loop.exec();
        QElapsedTimer stop;
        stop.start();
        building.reset();
        std::printf("stop_ms %.1f\n", stop.nsecsElapsed() / 1e6);
    }

    if (compare)
        compareStored(files, folder.path(), word1 + u' ' + word2, runs);
    return 0;
}
