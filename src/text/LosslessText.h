#pragma once

// The program's own files (the two lists, joined lyrics) may have to hold
// names in any script. Text the downloader's code page can hold is written
// in that code page, byte for byte as ever, so the downloader and older files
// see no change; other text is written as UTF-8 behind a byte-order mark,
// which is also how it is recognised on reading.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace LosslessText {

// Windows-1252 when every character has a byte there, otherwise the UTF-8
// byte-order mark and UTF-8. decode() gives the text back unchanged.
QByteArray encode(QStringView text);

// UTF-8 when the bytes start with the byte-order mark (the mark is not part
// of the text) and the rest is valid UTF-8; otherwise Windows-1252, which
// keeps every byte.
QString decode(QByteArrayView bytes);

} // namespace LosslessText
