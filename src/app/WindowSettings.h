#pragma once

// The main window's place, size, maximized state and splitter position, kept
// in the per-user settings store (application "Vesk", section "Config").

#include <QList>
#include <QRect>
#include <QString>

class Platform;

struct WindowSettings
{
    float FrmTop = 1000;
    float FrmLeft = 1000;
    float FrmWidth = 12000;
    float FrmHeight = 8500;
    float SplitPos = 3500;
    bool FrmMaximized = false;
    // The store held a size: false on the first run, when these are the defaults.
    bool Stored = true;
};

// Reads the six values; a stored text that is not a number reads as 0 (as
// false for FrmMaximized).
WindowSettings readWindowSettings(Platform &platform);
void writeWindowSettings(Platform &platform, const WindowSettings &settings);

// At most seven significant digits, no trailing zeros: 1000, 2666.667.
QString formatTwips(float value);
float parseTwips(const QString &text);
bool parseBoolean(const QString &text);

// Where the window opens, in logical pixels, from the stored values and the
// screens' available areas. A size below MinimumSize (a value that did not
// read as a number) gives the designed default size; a window larger than
// every screen is shrunk to the largest; a window that would show too little
// of itself on every screen opens at the default place on the first screen.
// A first window (nothing stored) fits inside the first screen with room for
// the desktop's title bar and borders, however large the screen's scale makes
// the designed size.
struct WindowPlacement
{
    QRect Geometry;
    bool Maximized = false;
    // The splitter's left edge in twips: SplitPos when it lies inside the
    // window, else a third of the width.
    double SplitPos = 0;
};

inline constexpr QSize MinimumWindowSize{320, 240};

WindowPlacement placeWindow(const WindowSettings &settings, const QList<QRect> &screens);
