#pragma once

// Colours by role, as the window's design gives them, made readable on any
// palette the desktop brings, light or dark: a pair of roles whose colours
// are too close is moved apart until the text stands out.

#include <QColor>
#include <QPalette>

class QWidget;

namespace Readability {

// The WCAG contrast ratio of two colours, 1 to 21.
double contrast(const QColor &a, const QColor &b);

// Enough for text of this many points, as WCAG asks (3 from 18 pt up, else 4.5).
double minimumFor(double points);

// foreground, made lighter or darker until it has minimum contrast on
// background (or as close as black or white gets).
QColor readableOn(const QColor &foreground, const QColor &background, double minimum);

// Gives widget the colours of the roles from the application's palette,
// moved apart where they are too close for its font: the background when
// the widget paints it, else the text. Call again when the palette changes.
void apply(QWidget *widget, QPalette::ColorRole foreground, QPalette::ColorRole background);

} // namespace Readability
