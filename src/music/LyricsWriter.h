#pragma once

// Puts lyrics into a music file without risking it: the tag is written to a
// copy in the same folder, the copy is read back (the lyrics there, artist
// and title as they were, the audio the same to the byte), and only then
// does it take the original's place by a rename, with the original's
// permissions. Any failure leaves the original as it was, byte for byte.
//
// The copy is named ".stanzabox-lyrics-XXXXXX.part" and locked while it is
// worked on; one left behind by a program that was killed is removed by the
// next pass over the music folder (removeLeftoverCopy).

#include <QString>
#include <QStringView>

struct LyricsWrite
{
    enum class Status {
        Written,
        Unchanged, // the file already holds these lyrics, or holds others and may not be replaced
        Failed,    // nothing was changed; reason says why
    };
    Status status = Status::Failed;
    QString reason;
};

// replaceExisting: lyrics the file already holds may be replaced.
LyricsWrite putLyricsIntoFile(const QString &path, const QString &lyrics, bool replaceExisting);

// True for the name of a copy putLyricsIntoFile makes.
bool isLyricsCopyName(QStringView fileName);
// Removes such a copy when no running writer holds it; true when removed.
bool removeLeftoverCopy(const QString &path);
