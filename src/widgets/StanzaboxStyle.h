#pragma once

// The desktop's own style, with the few changes the main window's designed
// sizes need: toolbar buttons whose picture and caption fit 41 pixels, and
// a toolbar overflow arrow drawn from the program's own pictures instead of
// a look-up in the desktop's icon theme at start-up.

#include <QProxyStyle>

class StanzaboxStyle : public QProxyStyle
{
    Q_OBJECT

public:
    StanzaboxStyle();

    int pixelMetric(PixelMetric metric, const QStyleOption *option = nullptr,
                    const QWidget *widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override;
    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};
