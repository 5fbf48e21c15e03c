#include "widgets/LibraryTreeView.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>
#include <QMouseEvent>
#include <QScopedValueRollback>

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
                if (current.isValid() && userInput > 0)
                    Q_EMIT nodeClicked(current);
            });
}

void LibraryTreeView::mousePressEvent(QMouseEvent *event)
{
    const QScopedValueRollback<int> user(userInput, userInput + 1);
    mouseDown = true;
    const QModelIndex before = currentIndex();
    const QModelIndex hit = indexAt(event->position().toPoint());
    QTreeView::mousePressEvent(event);
    // A click on the node that is already current changes nothing in the
    // view but is still a click; a click on the expand arrow is not one.
    if (hit.isValid() && hit == before && currentIndex() == before
        && visualRect(hit).contains(event->position().toPoint()))
        Q_EMIT nodeClicked(hit);
    // A dialog the click opened took the release: the button is up by now.
    if (!QGuiApplication::mouseButtons().testFlag(event->button()))
        mouseDown = false;
}

void LibraryTreeView::mouseMoveEvent(QMouseEvent *event)
{
    const QScopedValueRollback<int> user(userInput, userInput + 1);
    QTreeView::mouseMoveEvent(event);
}

void LibraryTreeView::mouseReleaseEvent(QMouseEvent *event)
{
    {
        const QScopedValueRollback<int> user(userInput, userInput + 1);
        QTreeView::mouseReleaseEvent(event);
    }
    mouseDown = false;
}

void LibraryTreeView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QScopedValueRollback<int> user(userInput, userInput + 1);
    QTreeView::mouseDoubleClickEvent(event);
}

void LibraryTreeView::keyPressEvent(QKeyEvent *event)
{
    const QScopedValueRollback<int> user(userInput, userInput + 1);
    QTreeView::keyPressEvent(event);
}

void LibraryTreeView::keyReleaseEvent(QKeyEvent *event)
{
    QTreeView::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        Q_EMIT keyReleased(event->key(), event->modifiers());
}

void LibraryTreeView::setNotice(const QString &text, QAction *action)
{
    if (!noticePanel) {
        if (text.isEmpty())
            return;
        // Over the rows, where the nodes would be: a line that says why
        // there are none, and what to do about it.
        noticePanel = new QWidget(viewport());
        noticePanel->setObjectName(QStringLiteral("picLibraryNotice"));
        noticePanel->setAutoFillBackground(true);
        noticePanel->setBackgroundRole(QPalette::Base);
        auto *column = new QVBoxLayout(noticePanel);
        noticeLabel = new QLabel(noticePanel);
        noticeLabel->setObjectName(QStringLiteral("lblLibraryNotice"));
        noticeLabel->setWordWrap(true);
        noticeLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        noticeLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
        noticeLabel->setTextFormat(Qt::PlainText);
        noticeButton = new QToolButton(noticePanel);
        noticeButton->setObjectName(QStringLiteral("cmdChooseCacheFolder"));
        noticeButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
        column->addWidget(noticeLabel);
        column->addWidget(noticeButton, 0, Qt::AlignLeft);
        column->addStretch();
        noticePanel->setGeometry(viewport()->rect());
    }
    noticeLabel->setText(text);
    if (action)
        noticeButton->setDefaultAction(action);
    noticeButton->setVisible(action != nullptr);
    noticePanel->setVisible(!text.isEmpty());
}

QString LibraryTreeView::notice() const
{
    return noticePanel && noticePanel->isVisibleTo(this) ? noticeLabel->text() : QString();
}

void LibraryTreeView::resizeEvent(QResizeEvent *event)
{
    QTreeView::resizeEvent(event);
    if (noticePanel)
        noticePanel->setGeometry(viewport()->rect());
}
