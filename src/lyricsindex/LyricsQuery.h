#pragma once

// What the user typed into "Find in lyrics", as a full-text query: all its
// words, in any order, the last one as the start of a word once it has two
// letters (a single letter waits for the next: the words before it are looked
// up meanwhile); a "quoted phrase" as a phrase. Everything typed is text:
// quotes, '*', '-', ':', brackets, AND, OR, NOT, NEAR and the like never reach
// the index as its query syntax.
// Also finds those words again in a song's text, for the line to show.

#include "lyricsindex/LyricsMatch.h"

#include <QString>
#include <QStringView>

#include <vector>

class LyricsQuery
{
public:
    // One word, or a phrase of several, as folded words.
    struct Term
    {
        std::vector<QString> Words;
        bool Prefix = false; // the last word may go on
    };

    struct Line
    {
        int Number = 0; // from 1; 0 when no term occurs in the text
        qsizetype Start = 0;
        qsizetype End = 0;
        std::vector<TextSpan> Spans; // relative to Start
    };

    explicit LyricsQuery(QStringView userText);

    // True when the text holds no word to look for.
    bool isEmpty() const { return termList.empty(); }
    // The expression for FTS5's MATCH: every term a quoted string.
    const QString &matchExpression() const { return expression; }
    const std::vector<Term> &terms() const { return termList; }

    // Where the terms occur in text, a phrase from its first word to its last.
    std::vector<TextSpan> occurrences(QStringView text) const;
    // The line holding the most different terms (the first such line).
    // Lines end at CR LF, LF or CR, as in the lyrics box.
    Line bestLine(QStringView text) const;

private:
    std::vector<Term> termList;
    QString expression;
};
