#pragma once

// The window's geometry is designed in twips; Qt works in logical pixels and
// scales those for high-DPI screens. 15 twips make one logical pixel.

#include <QRect>
#include <QtMath>

namespace Twips {

inline constexpr double PerPixel = 15.0;

inline int toPixels(double twips)
{
    // Saturates rather than overflow: a pixel count never needs more.
    const double pixels = twips / PerPixel;
    if (!(pixels > -1.0e9)) // also NaN
        return pixels < 0 ? -1'000'000'000 : 0;
    return pixels < 1.0e9 ? qRound(pixels) : 1'000'000'000;
}

inline double fromPixels(int pixels)
{
    return pixels * PerPixel;
}

inline QRect toPixels(double left, double top, double width, double height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

} // namespace Twips
