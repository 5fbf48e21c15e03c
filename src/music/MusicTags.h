#pragma once

// A music file's tags through TagLib: the artist, the title and the lyrics
// the file holds, read without the audio properties, and the lyrics set and
// saved in the field each format's players read (MP3: one USLT frame; FLAC,
// Ogg Vorbis, Opus: LYRICS; MP4: ©lyr). Nothing else of a tag is changed.

#include <QString>
#include <QStringView>

#include <memory>
#include <optional>

namespace TagLib {
class File;
}

enum class MusicFormat { Unknown, Mp3, Flac, OggVorbis, OggOpus, Mp4 };

// By the name's extension, ignoring case; Ogg files are told apart by their
// content when opened.
MusicFormat musicFormatForName(QStringView fileName);
inline bool isMusicFileName(QStringView fileName)
{
    return musicFormatForName(fileName) != MusicFormat::Unknown;
}

class TaggedFile
{
public:
    // Opens the file without reading its audio properties, as the format
    // its name says, or as the one given (for a copy with a name of its own).
    explicit TaggedFile(const QString &path);
    TaggedFile(const QString &path, MusicFormat format);
    ~TaggedFile();
    TaggedFile(const TaggedFile &) = delete;
    TaggedFile &operator=(const TaggedFile &) = delete;

    // TagLib could read the file as the format its name says.
    bool isValid() const;
    MusicFormat format() const { return kind; }

    QString artist() const;
    QString title() const;
    // The lyrics the file holds, as a player reads them; none when it holds
    // no field or only empty ones.
    std::optional<QString> lyrics() const;

    // Why setLyrics would refuse this file; empty when it would not.
    QString cannotWriteReason() const;
    // Puts text in as the file's only lyrics (in memory until save()).
    bool setLyrics(const QString &text);
    // Writes the tags back into the file in place, keeping the MP3's ID3v2
    // version and stripping or copying no tag.
    bool save();

private:
    std::unique_ptr<TagLib::File> file;
    MusicFormat kind = MusicFormat::Unknown;
};
