#pragma once

// How the downloader's file names "Artist - Song.txt" split into artist and
// song, and where a song's timestamp file lies.

#include "library/NodeText.h"

#include <QString>
#include <QStringView>

// Text before the first '-', without leading or trailing spaces; empty when
// the name has no '-'.
QString ExtractArtist(QStringView fileName);
// The same, as a part of fileName.
QStringView artistPart(QStringView fileName);
NodeText artistPart(NodeText fileName);
// Text after the last '-' of a name given without its extension, without
// leading or trailing spaces; the whole name when it has no '-'; "(no title)"
// when that leaves nothing.
QString ExtractSong(QStringView nameWithoutExtension);
// The same, as a part of nameWithoutExtension.
QStringView songPart(QStringView nameWithoutExtension);

// A song's key ("D/F"): its file name, after the letter folder.
QStringView keyFileName(QStringView key);
NodeText keyFileName(NodeText key);
// A file name without its ".txt" (in any letter case).
QStringView nameStem(QStringView fileName);
// The song's title as the tree shows it: songPart of the name's stem.
QStringView songTitle(QStringView fileName);
NodeText songTitle(NodeText fileName);

// The name a song without an artist is filed under in the tree, and the key
// of that node. No artist from a file name can have this key: it holds a '/'.
QString noArtistText();
QString noArtistKey();
// The key of the artist node a file's artist belongs to.
QString artistKey(const QString &artist);

// "Band - Song.txt" -> "Band - Song.kas": the path without its last three
// characters, then "kas".
QString kasPathFor(const QString &lyricsPath);
// True when the timestamp file of the lyrics file exists as a visible file.
bool KasFileExists(const QString &lyricsPath);

// Leading and trailing space characters removed (spaces only, not tabs).
QString trimSpaces(QStringView text);
QStringView trimmedSpaces(QStringView text);
