// Whatever the user types into "Find in lyrics", against a song of any
// content: the query never fails in FTS5, and where FTS5 finds the song the
// program finds the words again in its text (its folding is the tokenizer's).
// The input is split at its first NUL: the typed text, then the file.

#include "fuzz/FuzzSupport.h"
#include "lyricsindex/LyricsQuery.h"
#include "lyricsindex/LyricsText.h"
#include "lyricsindex/SqliteDb.h"
#include "text/Cp1252.h"

namespace {

struct Table
{
    SqliteDb db;
    SqliteStatement clear, insert, match;
    Table()
    {
        db.open(QStringLiteral(":memory:"), true);
        db.exec("CREATE VIRTUAL TABLE t USING fts5(body, content='', tokenize='stanzabox_words')");
        clear = db.prepare("INSERT INTO t(t) VALUES('delete-all')");
        insert = db.prepare("INSERT INTO t(rowid, body) VALUES(1, ?1)");
        match = db.prepare("SELECT rowid FROM t WHERE t MATCH ?1");
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Table table;
    const QByteArrayView input = fuzzInput(data, size);
    const qsizetype split = input.indexOf('\0');
    // Both in Windows-1252, the characters a lyrics file can hold.
    const QString typed = Cp1252::decode(split < 0 ? input : input.first(split));
    const QByteArrayView file = split < 0 ? QByteArrayView() : input.sliced(split + 1);

    const QString text = LyricsText::indexable(file);
    FUZZ_CHECK(text.size() == file.size());
    const LyricsQuery query(typed);
    FUZZ_CHECK(query.isEmpty() == query.matchExpression().isEmpty());

    const LyricsQuery::Line line = query.bestLine(text);
    FUZZ_CHECK(line.Start <= line.End && line.End <= text.size());
    for (const TextSpan &s : line.Spans)
        FUZZ_CHECK(s.Start >= 0 && s.Length > 0 && line.Start + s.Start + s.Length <= line.End);
    const std::vector<TextSpan> found = query.occurrences(text);
    for (const TextSpan &s : found)
        FUZZ_CHECK(s.Start >= 0 && s.Length > 0 && s.Start + s.Length <= text.size());
    FUZZ_CHECK(found.empty() == (line.Number == 0));
    if (query.isEmpty())
        return 0;

    FUZZ_CHECK(table.clear.run());
    FUZZ_CHECK(table.insert.bind(1, text) && table.insert.run());
    FUZZ_CHECK(table.match.bind(1, query.matchExpression()));
    const SqliteStatement::Step step = table.match.step();
    table.match.reset();
    FUZZ_CHECK(step != SqliteStatement::Step::Error);
    if (step == SqliteStatement::Step::Row)
        FUZZ_CHECK(!found.empty());
    return 0;
}
