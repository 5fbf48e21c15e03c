#pragma once

// The library tree control: raises one node click for every mouse click on a
// node and for every move the user makes with the keyboard, tells mouse
// clicks from keyboard moves, and never lets the user edit a node's text.
//
// Only the user's own input raises a node click. The view also moves its
// current row by itself (a removed current row hands its place to a
// neighbour, a reset drops it), and the program moves it to restore what the
// user saw; neither is a choice of the user's, so neither is a click.

#include <QTreeView>

class QAction;
class QLabel;
class QToolButton;

class LibraryTreeView : public QTreeView
{
    Q_OBJECT

public:
    explicit LibraryTreeView(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model) override;
    // True between a mouse press over the tree and the following release.
    bool mouseIsDown() const { return mouseDown; }
    // A line shown where the nodes would be, for when there are none to
    // show, with a button for action when one is given; empty text hides it.
    void setNotice(const QString &text, QAction *action = nullptr);
    QString notice() const;

Q_SIGNALS:
    void nodeClicked(const QModelIndex &index);
    void keyReleased(int key, Qt::KeyboardModifiers modifiers);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Set while the view handles an event of the user's mouse or keyboard.
    int userInput = 0;
    bool mouseDown = false;
    QWidget *noticePanel = nullptr;
    QLabel *noticeLabel = nullptr;
    QToolButton *noticeButton = nullptr;
};
