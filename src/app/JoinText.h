#pragma once

// The joined lyrics file: each ticked song under a heading, one after the
// other, and the file's name with the count and the local date and time.

#include <QDateTime>
#include <QString>

// ":: Artist - Title", a line of 15 hyphens, the file's content as it is,
// a line end, a rule of 25 equals signs and an empty line.
QString joinedHeading(const QString &artist, const QString &title);
QString joinedClosing();

// "3 Lyrics Joined at 04-07-2005 9-5.txt": month and day with two digits,
// the year with at least four, hour and minute without leading zeros.
QString joinedFileName(int songs, const QDateTime &when);
