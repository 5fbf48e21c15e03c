#pragma once

// Whole-file reads and atomic writes of the program's 8-bit text files.

#include <QString>

#include <optional>

// The file's bytes decoded from Windows-1252; nothing when it is not a
// readable regular file.
std::optional<QString> readTextFile(const QString &path);

enum class WriteResult { Written, Unencodable, Failed };

// Replaces the file atomically with text encoded as Windows-1252: either the
// whole new content is on disk afterwards, or the old file is untouched.
// Text with characters the code page cannot hold is refused unless
// allowLossy is set (they are then written as '?').
WriteResult writeTextFile(const QString &path, const QString &text, bool allowLossy = false);
