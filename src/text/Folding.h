#pragma once

// How the program compares text when the user looks for something: the
// names in the tree, the words of the lyrics, music files against songs.
// Case is folded, accents come off Latin letters ("É" -> "e"), and the
// letters with strokes and the ligatures are spelled in plain letters
// ("Ø" -> "o", "Ł" -> "l", "Đ" and "Ð" -> "d", "Ħ" -> "h", "Æ" -> "ae",
// "Œ" -> "oe", "ß" -> "ss", "Þ" -> "th"), so that every letter a lyrics
// file can hold is found by typing plain letters: "soren" finds "Søren".
// Two texts that fold alike are the same text to a search.

#include <QLatin1StringView>
#include <QString>
#include <QStringView>

#include <vector>

// A character folds to at most this many UTF-16 units ("ﬃ" -> "ffi"), or to
// none (a combining accent).
inline constexpr qsizetype kMostFoldedUnits = 3;

// text folded character by character; punctuation and spaces stay.
QString foldForMatching(QStringView text);
// The same into out, which has room for kMostFoldedUnits * text.size()
// units; returns how many it wrote.
qsizetype foldForMatching(QStringView text, char16_t *out);
// The same for text in Latin-1.
qsizetype foldForMatching(QLatin1StringView text, char16_t *out);

// Words as a search sees them: runs of letters, digits, private-use
// characters and combining marks; anything else separates them. Their
// folded forms stand back to back in one string.
struct FoldedWords
{
    struct Word
    {
        qsizetype Start = 0;        // in the text, in UTF-16 units
        qsizetype End = 0;          // one past the last unit
        qsizetype FoldedStart = 0;  // in Folded
        qsizetype FoldedLength = 0; // never 0
    };
    QString Folded;
    std::vector<Word> List;

    QStringView folded(const Word &w) const { return QStringView(Folded).mid(w.FoldedStart, w.FoldedLength); }
    QString foldedCopy(size_t i) const { return folded(List[i]).toString(); }
};

FoldedWords foldedWords(QStringView text);

// Whether the character is part of a word, and what it folds to (into out,
// room for kMostFoldedUnits; returns how many units). For a character of
// any plane; what the two functions above do character by character.
bool isWordCharacter(char32_t c);
int foldCharacter(char32_t c, char16_t *out);
