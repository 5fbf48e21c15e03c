#include "widgets/StanzaboxStyle.h"

#include "widgets/ImageList.h"

#include <QStyleOptionToolButton>

using namespace Qt::StringLiterals;

StanzaboxStyle::StanzaboxStyle() : QProxyStyle() {}

int StanzaboxStyle::pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const
{
    switch (metric) {
    case PM_ToolBarFrameWidth:
    case PM_ToolBarItemMargin:
    case PM_ToolBarItemSpacing:
        return 0;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

QSize StanzaboxStyle::sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                                       const QWidget *widget) const
{
    QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
    // A caption under a picture: no more padding than two pixels around them.
    if (type == CT_ToolButton) {
        const auto *button = qstyleoption_cast<const QStyleOptionToolButton *>(option);
        if (button && button->toolButtonStyle == Qt::ToolButtonTextUnderIcon)
            result = result.boundedTo(size + QSize(6, 4)).expandedTo(size);
    }
    return result;
}

QIcon StanzaboxStyle::standardIcon(StandardPixmap icon, const QStyleOption *option, const QWidget *widget) const
{
    if (icon == SP_ToolBarHorizontalExtensionButton || icon == SP_ToolBarVerticalExtensionButton)
        return ImageList::picture(u"more"_s);
    // The toolkit's own is a PNG, and reading one looks through every
    // image format plug-in (and loads the JPEG library) for a 16-pixel cross.
    if (icon == SP_LineEditClearButton)
        return ImageList::picture(u"clear"_s);
    return QProxyStyle::standardIcon(icon, option, widget);
}
