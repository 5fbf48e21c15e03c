#pragma once

// The library tree control: raises one node click for every mouse click on a
// node and for every keyboard move, tells mouse clicks from keyboard moves,
// and never lets the user edit a node's text.

#include <QTreeView>

class LibraryTreeView : public QTreeView
{
    Q_OBJECT

public:
    explicit LibraryTreeView(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model) override;
    // True between a mouse press over the tree and the following release.
    bool mouseIsDown() const { return mouseDown; }
    // Makes index current without raising a node click.
    void setCurrentSilently(const QModelIndex &index);

Q_SIGNALS:
    void nodeClicked(const QModelIndex &index);
    void keyReleased(int key, Qt::KeyboardModifiers modifiers);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    bool mouseDown = false;
    bool silent = false;
};
