#pragma once

// The fonts the window's design names, by role. fontconfig stands in a
// metric-compatible face where the named one is not installed.

#include <QFont>

namespace DesignFonts {

inline QFont font(const QString &family, double points)
{
    QFont font(family);
    font.setPointSizeF(points);
    return font;
}

// Everything without a role of its own.
inline QFont window() { return font(QStringLiteral("Arial"), 8.25); }
// The counts and the heading above the song.
inline QFont heading() { return font(QStringLiteral("Arial"), 18); }
// The information panel and the lyrics.
inline QFont info() { return font(QStringLiteral("Arial"), 9.75); }
// The search's results line.
inline QFont results() { return font(QStringLiteral("Georgia"), 9.75); }

} // namespace DesignFonts
