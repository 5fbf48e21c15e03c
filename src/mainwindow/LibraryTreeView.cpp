#include "mainwindow/LibraryTreeView.h"

#include <QKeyEvent>
#include <QMouseEvent>

LibraryTreeView::LibraryTreeView(QWidget *parent) : QTreeView(parent)
{
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A click on an artist opens or closes it; a double click is two clicks.
    setExpandsOnDoubleClick(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void LibraryTreeView::setModel(QAbstractItemModel *model)
{
    QTreeView::setModel(model);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid() && !silent)
                    Q_EMIT nodeClicked(current);
            });
}

void LibraryTreeView::mousePressEvent(QMouseEvent *event)
{
    mouseDown = true;
    const QModelIndex before = currentIndex();
    const QModelIndex hit = indexAt(event->position().toPoint());
    QTreeView::mousePressEvent(event);
    // A click on the node that is already current changes nothing in the
    // view but is still a click; a click on the expand arrow is not one.
    if (hit.isValid() && hit == before && currentIndex() == before
        && visualRect(hit).contains(event->position().toPoint()))
        Q_EMIT nodeClicked(hit);
}

void LibraryTreeView::mouseReleaseEvent(QMouseEvent *event)
{
    QTreeView::mouseReleaseEvent(event);
    mouseDown = false;
}

void LibraryTreeView::keyReleaseEvent(QKeyEvent *event)
{
    QTreeView::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        Q_EMIT keyReleased(event->key(), event->modifiers());
}

void LibraryTreeView::setCurrentSilently(const QModelIndex &index)
{
    silent = true;
    setCurrentIndex(index);
    silent = false;
}
