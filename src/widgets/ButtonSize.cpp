#include "widgets/ButtonSize.h"

#include <QFontMetricsF>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

QSize neededSize(const QPushButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    const QStyle *style = button->style();
    int margins = style->pixelMetric(QStyle::PM_ButtonMargin, &option, button)
                  + 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, button);
    if (button->autoDefault())
        margins += 2 * style->pixelMetric(QStyle::PM_ButtonDefaultIndicator, &option, button);
    const QFontMetricsF metrics(button->font());
    const QSize icon = button->icon().isNull() ? QSize(0, 0) : button->iconSize();
    const int spacing = icon.isEmpty() ? 0 : 4;
    return QSize(icon.width() + spacing + qCeil(metrics.horizontalAdvance(button->text())) + margins,
                 qMax(icon.height(), qCeil(metrics.height())) + margins);
}
