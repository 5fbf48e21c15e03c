#pragma once

// The main window's place, size, maximized state and splitter position, kept
// in the per-user settings store (application "Vesk", section "Config").

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
};

// Reads the six values; a stored text that is not a number reads as 0 (as
// false for FrmMaximized).
WindowSettings readWindowSettings(Platform &platform);
void writeWindowSettings(Platform &platform, const WindowSettings &settings);

// At most seven significant digits, no trailing zeros: 1000, 2666.667.
QString formatTwips(float value);
float parseTwips(const QString &text);
bool parseBoolean(const QString &text);
