#pragma once

// Words as the index sees them. The index splits text into words and folds
// them with SQLite's unicode61 tokenizer (remove_diacritics 2); this does the
// same in the program, so that the words a query matched can be found again
// in a song's text and shown in bold. Word characters are letters, numbers,
// private-use characters and combining marks; a word is folded by dropping
// the diacritics of Latin letters (canonical decomposition, accents removed)
// and simple case folding: "Ünter" -> "unter", "CAFÉ" -> "cafe", "ß" stays.
// For every character a lyrics file can hold (the 256 of Windows-1252) the
// result is the tokenizer's own; beyond them it is a close match.

#include <QString>
#include <QStringView>

#include <vector>

namespace SearchFolding {

struct Word
{
    qsizetype Start = 0;        // in the text, in UTF-16 units
    qsizetype End = 0;          // one past the last unit
    qsizetype FoldedStart = 0;  // in Words::Folded
    qsizetype FoldedLength = 0; // never 0
};

// The words of a text; their folded forms stand back to back in one string.
struct Words
{
    QString Folded;
    std::vector<Word> List;

    QStringView folded(const Word &w) const { return QStringView(Folded).mid(w.FoldedStart, w.FoldedLength); }
    QString foldedCopy(size_t i) const { return folded(List[i]).toString(); }
};

Words words(QStringView text);

// True when text holds at least one word.
bool hasWord(QStringView text);

} // namespace SearchFolding
