#pragma once

// Whole-file reads with a size limit, and atomic writes, for every file the
// program reads or writes in one piece.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// What the program reads whole at most: a lyrics, timestamp or list file is
// a few kilobytes; anything beyond this is not one, and reading it would
// only stall the window and fill the memory.
inline constexpr qint64 WholeFileLimit = 64 * 1024 * 1024;

struct WholeFile
{
    enum Status { Read, Missing, TooLarge, Failed };
    Status status = Missing;
    QByteArray bytes;
    qint64 size = 0; // the file's size, also when it was too large to read
    QString reason;  // why it Failed, in the system's words
};

// The bytes of a regular file of at most limit bytes.
WholeFile readWholeFile(const QString &path, qint64 limit = WholeFileLimit);

// Whether the file holds needle anywhere, read in blocks and no further
// than the first one that shows it: nothing when it is not a readable
// regular file of at most limit bytes, as readWholeFile would not read it.
// For a text in the code page, a needle of ASCII characters is found
// exactly where the decoded text contains it.
std::optional<bool> fileContains(const QString &path, QByteArrayView needle, qint64 limit = WholeFileLimit);

// Replaces the file with bytes atomically: either all of them are on disk
// afterwards, or the old file is untouched.
bool writeFileAtomically(const QString &path, QByteArrayView bytes);

enum class TextEncoding {
    // Windows-1252 only: the downloader's lyrics and settings files.
    CodePage,
    // Windows-1252 where it holds the text, otherwise UTF-8 behind a
    // byte-order mark (LosslessText): the program's own lists and joined files.
    CodePageOrUtf8,
};

QString decodeText(QByteArrayView bytes, TextEncoding encoding = TextEncoding::CodePage);

// The file's text; nothing when it is not a readable regular file within
// the limit.
std::optional<QString> readTextFile(const QString &path, TextEncoding encoding = TextEncoding::CodePage);

enum class WriteResult { Written, Unencodable, Failed };

// Replaces the file atomically. With CodePage, text that has characters the
// code page cannot hold is refused (Unencodable).
WriteResult writeTextFile(const QString &path, const QString &text,
                          TextEncoding encoding = TextEncoding::CodePage);
