#pragma once

// A music file as the Music window knows it: where it is, the stamp that
// tells whether it changed, and what its tags say (or its name, when the
// tags say nothing).

#include <QList>
#include <QMetaType>
#include <QString>

#include <memory>
#include <vector>

struct MusicTrack
{
    enum class Source : quint8 {
        Tags,       // artist and title from the file's tags
        FileName,   // no usable tags: "Artist - Title.ext"
        Nameless,   // neither tags nor such a name: cannot be matched
        Unreadable, // not a music file TagLib can read
    };

    QString Path;
    qint64 Size = 0;
    qint64 ModifiedNs = 0;
    QString Artist;
    QString Title;
    bool HasLyrics = false; // the file itself holds lyrics
    Source From = Source::Unreadable;

    bool matchable() const { return From == Source::Tags || From == Source::FileName; }
    // "Artist - Title", as the downloader's lists and the windows show a song.
    QString entry() const { return Artist + QStringLiteral(" - ") + Title; }
};

// One pass over the music folder: every music file found and what was
// skipped on the way.
struct MusicReadReport
{
    QString Root;
    bool RootMissing = false;
    std::vector<MusicTrack> Tracks;
    // Folders reached again through a link (a loop, or a second way in).
    int LinkLoops = 0;
    // Folders that could not be listed.
    int UnreadableFolders = 0;
    // Temporary copies a killed program left behind, removed by this pass.
    int LeftoversRemoved = 0;
    // Files whose tags were read in this pass (the others came from the cache).
    int ReadNow = 0;
    bool Cancelled = false;
    // Every folder the pass listed, for following the disk.
    QList<QString> Folders;
};

using MusicReadReportPtr = std::shared_ptr<const MusicReadReport>;
Q_DECLARE_METATYPE(MusicReadReportPtr)
