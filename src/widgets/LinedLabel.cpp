#include "widgets/LinedLabel.h"

#include <QPainter>

LinedLabel::LinedLabel(QWidget *parent) : QLabel(parent) {}

void LinedLabel::setLinePitch(int pixels)
{
    pitch = pixels;
    update();
}

void LinedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const QStringList lines = text().split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i)
        painter.drawText(QRect(0, i * pitch, width(), pitch), Qt::AlignLeft | Qt::AlignVCenter,
                         lines[i]);
}
