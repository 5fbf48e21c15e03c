#pragma once

// What a search in the lyrics finds: per song its key, its name, and the line
// where the words were found, with the places of the words to show in bold.

#include <QString>
#include <QStringView>

#include <vector>

struct TextSpan
{
    qsizetype Start = 0;
    qsizetype Length = 0;
    friend bool operator==(const TextSpan &, const TextSpan &) = default;
};

struct LyricsMatch
{
    QString Key;   // "X/Artist - Song.txt": the song's file is the cache folder + Key
    QString Title; // "Artist - Song": the file's name without ".txt"
    std::vector<TextSpan> TitleSpans;
    int Line = 0;     // the line of the file (from 1) the words were found in; 0: in the name only
    QString LineText; // that line without surrounding spaces, cut around the words when long
    std::vector<TextSpan> LineSpans;
};

struct LyricsSearchResult
{
    enum class Status {
        NoQuery,      // nothing to look for (no word in the text)
        Found,        // Matches and Total tell (both may be empty)
        NotAvailable, // Message tells why
    };
    Status State = Status::NoQuery;
    std::vector<LyricsMatch> Matches; // best first
    std::vector<QString> Unfilled;    // found after Matches, their rows not read yet
    int Total = 0;                    // songs that match; Matches holds the first of them
    bool Ranked = true;               // best first; else too many to rank, in the order of indexing
    bool Cut = false;                 // too many to count in time: Matches is a first page, Total a floor
    bool StillIndexing = false;       // found in what is indexed so far
    QString Message;
};

// text with HTML special characters escaped and the spans in <b>.
QString htmlWithBold(QStringView text, const std::vector<TextSpan> &spans);
