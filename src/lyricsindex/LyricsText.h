#pragma once

// A lyrics file as the index reads it: at most a limited number of bytes,
// decoded as Windows-1252, without what the downloader adds to the song (its
// source line and its filter mark), and with line breaks kept, so that a line
// found in this text is the same line of the file.

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

struct FileStamp
{
    qint64 Size = -1;
    qint64 ModifiedNs = 0;
    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};

namespace LyricsText {

// Files are indexed up to this many bytes; a song is far shorter.
inline constexpr qint64 kMaxIndexedBytes = 256 * 1024;

// The first limit bytes of a regular file (following a symbolic link), and
// the size and modification time of what was read. Nothing when it is not a
// readable regular file.
std::optional<QByteArray> readHead(const QString &path, qint64 limit, FileStamp *stamp = nullptr);

// The size and modification time of a regular file; nothing when it is not one.
std::optional<FileStamp> stampOf(const QString &path);

// True when nothing is at path any more (or a part of it is no folder); false
// when something is there, or when it cannot be told (a folder that may not
// be read).
bool isGone(const QString &path);

// The text the index holds: every source line ("* Downloaded from:" to the
// end of its line) and every filter mark (from the '[' before "] filter used"
// on its line, or the mark alone) blanked out, control characters other than
// line ends as spaces. Same length as the decoded text.
QString indexable(QByteArrayView bytes);

} // namespace LyricsText
