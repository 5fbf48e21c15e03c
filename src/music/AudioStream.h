#pragma once

// Whether two files of one format carry the same audio, byte for byte: the
// proof that writing a tag touched nothing else. Each format's audio is
// found by its framing, not by its tags:
// - MP3: from the first MPEG frame to the end of the file;
// - FLAC: everything after the metadata blocks;
// - Ogg Vorbis and Opus: every page after the header packets, compared
//   without the page number and checksum, which a longer comment changes;
// - MP4: the media data, and every chunk offset pointing at the same byte
//   of it (a bigger tag before the media moves the media, and the offsets
//   must follow).

#include "music/MusicTags.h"

#include <QString>

enum class AudioComparison { Same, Different, Unreadable };

// why, when given, tells what differed or could not be read.
AudioComparison compareAudio(MusicFormat format, const QString &original, const QString &copy,
                             QString *why = nullptr);
