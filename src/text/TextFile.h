#pragma once

// Whole-file reads and atomic writes of the program's 8-bit text files.

#include <QString>

#include <optional>

enum class TextEncoding {
    // Windows-1252 only: the downloader's lyrics and settings files.
    CodePage,
    // Windows-1252 where it holds the text, otherwise UTF-8 behind a
    // byte-order mark (LosslessText): the program's own lists and joined files.
    CodePageOrUtf8,
};

// The file's text; nothing when it is not a readable regular file.
std::optional<QString> readTextFile(const QString &path, TextEncoding encoding = TextEncoding::CodePage);

enum class WriteResult { Written, Unencodable, Failed };

// Replaces the file atomically: either the whole new content is on disk
// afterwards, or the old file is untouched. With CodePage, text that has
// characters the code page cannot hold is refused (Unencodable).
WriteResult writeTextFile(const QString &path, const QString &text,
                          TextEncoding encoding = TextEncoding::CodePage);
