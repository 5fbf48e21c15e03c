#pragma once

// The downloader's files are 8-bit text in the Windows-1252 code page. This
// codec turns their bytes into QString and back without losing any byte: the
// five values the code page leaves undefined map to the C1 controls of the
// same number, so every byte from 0 to 255 survives a round trip.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace Cp1252 {

QString decode(QByteArrayView bytes);

// Characters that have no byte in the code page become '?'; unencodable, when
// given, counts them so a caller can refuse to write a lossy file.
QByteArray encode(QStringView text, qsizetype *unencodable = nullptr);

// True when every character of text has a byte in the code page.
bool canEncode(QStringView text);

} // namespace Cp1252
