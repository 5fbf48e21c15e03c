#include "widgets/Readability.h"

#include <QApplication>
#include <QWidget>

#include <cmath>

namespace Readability {

namespace {

double luminance(const QColor &c)
{
    auto channel = [](int value) {
        const double v = value / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

// A step towards black or white, away from other.
QColor stepAway(const QColor &color, const QColor &other)
{
    if (luminance(other) > 0.18)
        return color.darker(115);
    if (color.value() == 0)
        return QColor(40, 40, 40);
    return color.lighter(115);
}

} // namespace

double contrast(const QColor &a, const QColor &b)
{
    double x = luminance(a);
    double y = luminance(b);
    if (x < y)
        std::swap(x, y);
    return (x + 0.05) / (y + 0.05);
}

double minimumFor(double points)
{
    return points >= 18 ? 3.0 : 4.5;
}

QColor readableOn(const QColor &foreground, const QColor &background, double minimum)
{
    QColor c = foreground;
    for (int i = 0; i < 32 && contrast(c, background) < minimum; ++i) {
        const QColor next = stepAway(c, background);
        if (next == c)
            break;
        c = next;
    }
    if (contrast(c, background) < minimum) {
        // No shade of the colour will do: the extreme on the far side will.
        c = luminance(background) > 0.18 ? QColor(Qt::black) : QColor(Qt::white);
    }
    return c;
}

void apply(QWidget *widget, QPalette::ColorRole foreground, QPalette::ColorRole background)
{
    const QPalette source = QApplication::palette(widget);
    QColor fg = source.color(foreground);
    QColor bg = source.color(background);
    const double minimum = minimumFor(widget->font().pointSizeF());
    if (contrast(fg, bg) < minimum) {
        // Keep the designed text colour where the widget paints its own
        // background and that can give way (light text on a mid grey);
        // else move the text.
        const QColor movedBackground = readableOn(bg, fg, minimum);
        if (widget->autoFillBackground() && contrast(fg, movedBackground) >= minimum)
            bg = movedBackground;
        else
            fg = readableOn(fg, bg, minimum);
    }
    QPalette palette = widget->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, foreground, fg);
        palette.setColor(group, background, bg);
    }
    widget->setPalette(palette);
}

} // namespace Readability
