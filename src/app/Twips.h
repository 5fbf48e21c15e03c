#pragma once

// The window's geometry is designed in twips; Qt works in logical pixels and
// scales those for high-DPI screens. 15 twips make one logical pixel.

#include <QRect>
#include <QtMath>

namespace Twips {

inline constexpr double PerPixel = 15.0;

inline int toPixels(double twips)
{
    return qRound(twips / PerPixel);
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
