#pragma once

// The karaoke timestamp file beside a song: 4-byte records (a two-byte time
// code and a two-character tag), then a tail from the first ';' to the end
// that is kept as it is and never interpreted. Records are bytes, not text:
// the high code byte runs up to 129.

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

struct Stamp
{
    int Minute = 0;
    int Second = 0;
    int Frame = 0; // tenths of a second, even
};

// Time in steps of 0.2 s from the two code bytes: (high - 64) * 64 + (low - 64).
// Bytes below 64 give negative fields; the caller decides what to do then.
Stamp DecodeStamp(quint8 high, quint8 low);
// The two code bytes, high first; a negative time is taken as 0.
QByteArray EncodeStamp(int minute, int second, int frame);

struct KasRecord
{
    Stamp Time;
    QByteArray Tag; // as read: up to two bytes, trailing spaces kept
    // Both code bytes are 64 or more, as every file the format allows has them.
    bool CodeInRange = true;
};

struct KasFile
{
    std::vector<KasRecord> Records;
    QByteArray Tail;
    // A ';' ends the records; a file without one is not a timestamp file.
    bool HasTail = false;

    // Every record's code in range and a tail present.
    bool wellFormed() const;
};

// Records in a section of this many bytes: length / 4, halves to the even
// neighbour (5 gives 1, 6 gives 2, 7 gives 2, 10 gives 2).
int kasRecordCount(qsizetype sectionLength);

KasFile parseKas(QByteArrayView bytes);

struct KasRow
{
    Stamp Time;
    QByteArray Tag;
};

// A tag that, filled to two characters with spaces, is two spaces: the
// format has no record for a stamp without a tag.
bool isBlankKasTag(QByteArrayView tag);

// The file's bytes for rows and a tail. A row whose tag, filled to two
// characters with spaces, is two spaces writes no record. A CR LF follows
// the tail unless the tail already ends with one, so a file saved again
// unchanged keeps its size.
QByteArray composeKas(const std::vector<KasRow> &rows, QByteArrayView tail);
