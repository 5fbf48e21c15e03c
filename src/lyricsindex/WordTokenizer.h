#pragma once

// The words of the lyrics index as SQLite's full-text search sees them: an
// FTS5 tokenizer that splits and folds text exactly as foldedWords does
// (text/Folding.h), so that a song the index finds for a query is a song in
// whose text the program finds the query's words again, and "soren" finds
// "Søren" in both. SqliteDb adds it to every connection it opens.

struct sqlite3;

// The name a table gives in its tokenize option.
inline constexpr char kWordTokenizer[] = "stanzabox_words";

// False when the connection has no FTS5.
bool addWordTokenizer(sqlite3 *db);
