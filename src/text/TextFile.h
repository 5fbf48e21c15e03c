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

// A regular file opened for reading, following a symbolic link and never
// waiting on a named pipe, with what the system says of it; closed with the
// object. Every bounded read of a file starts here.
class RegularFile
{
public:
    explicit RegularFile(const QString &path);
    ~RegularFile();
    RegularFile(const RegularFile &) = delete;
    RegularFile &operator=(const RegularFile &) = delete;

    // Open, and a regular file.
    bool isOpen() const { return fd >= 0; }
    // Nothing to read there: no such file, or not a regular file. False
    // when it is there but could not be opened (not to be read).
    bool missing() const { return isMissing; }
    qint64 size() const { return fileSize; }
    qint64 modifiedNs() const { return modified; }
    // Up to n bytes into out: as many as the file gives, fewer only at its
    // end; -1 on a read error.
    qint64 read(char *out, qint64 n);

private:
    int fd = -1;
    bool isMissing = false;
    qint64 fileSize = 0;
    qint64 modified = 0;
};

struct WholeFile
{
    enum Status { Read, Missing, TooLarge, Failed };
    Status status = Missing;
    QByteArray bytes;
    qint64 size = 0; // the file's size, also when it was too large to read
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
