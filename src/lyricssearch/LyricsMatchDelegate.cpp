#include "lyricssearch/LyricsMatchDelegate.h"

#include "lyricssearch/LyricsMatchModel.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QPainter>
#include <QTextDocument>

namespace {

constexpr int kMargin = 3;

} // namespace

void LyricsMatchDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    // The background, selection and focus as the style draws them, no text.
    opt.text.clear();
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    QTextDocument doc;
    doc.setDocumentMargin(0);
    doc.setDefaultFont(opt.font);
    doc.setHtml(index.data(LyricsMatchModel::HtmlRole).toString());
    QAbstractTextDocumentLayout::PaintContext context;
    const bool selected = opt.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = (opt.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
    context.palette = opt.palette;
    context.palette.setColor(QPalette::Text,
                             opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    const QRect area = opt.rect.adjusted(kMargin, kMargin, -kMargin, -kMargin);
    context.clip = QRectF(0, 0, area.width(), area.height());
    painter->save();
    painter->translate(area.topLeft());
    painter->setClipRect(context.clip);
    doc.documentLayout()->draw(painter, context);
    painter->restore();
}

QSize LyricsMatchDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    const QFontMetrics metrics(option.font);
    return {metrics.averageCharWidth() * 40, 2 * metrics.lineSpacing() + 2 * kMargin};
}
