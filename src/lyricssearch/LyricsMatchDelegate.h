#pragma once

// Draws a lyrics search result in two lines, "Artist - Song" and the line
// found, with the words found in bold (the model's escaped HTML).

#include <QStyledItemDelegate>

class LyricsMatchDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
