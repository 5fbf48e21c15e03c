#include "lists/frmlists.h"

#include "app/Accessibility.h"
#include "app/AppState.h"
#include "lists/ListsModel.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QHash>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
const QString kHelpText = u"Organize your deleted and marked for redownload lyrics list and "
                          u"drag-n-drop them into Wordhive for redownloading."_s;
} // namespace

QString textListOf(const QStringList &entries)
{
    return entries.join(u"\r\n"_s);
}

frmlists::frmlists(AppState &state, ListsModel &lists, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint
                          | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      state(state), lists(lists)
{
    Accessibility::install();
    setObjectName(u"frmlists"_s);
    setWindowTitle(u"Lists"_s);
    setFixedSize(248, 312);
    setMouseTracking(true);
    QFont small(u"Arial"_s);
    small.setPointSizeF(8);
    setFont(small);

    auto makeList = [this](const QString &name) {
        auto *box = new QListWidget(this);
        box->setObjectName(name);
        box->setAccessibleName(name == u"lstRedownload" ? u"Marked for Redownload"_s : u"Deleted Items"_s);
        box->setSelectionMode(QAbstractItemView::ExtendedSelection);
        box->setGeometry(8, 8, 233, 225);
        return box;
    };
    lstRedownload = makeList(u"lstRedownload"_s);
    lstDeleted = makeList(u"lstDeleted"_s);

    txtList = new QPlainTextEdit(this);
    txtList->setObjectName(u"txtList"_s);
    txtList->setAccessibleName(u"Text list"_s);
    txtList->setGeometry(8, 8, 233, 225);
    txtList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtList->hide();

    lblmain = new QLabel(kHelpText, this);
    lblmain->setObjectName(u"lblmain"_s);
    lblmain->setWordWrap(true);
    lblmain->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblmain->setGeometry(7, 235, 233, 39);

    auto makeButton = [this](const QString &name, const QString &caption, QRect geometry) {
        auto *button = new QPushButton(caption, this);
        button->setObjectName(name);
        button->setGeometry(geometry);
        return button;
    };
    cmdRedown = makeButton(u"cmdRedown"_s, u"Redownload List"_s, {8, 276, 89, 17});
    cmdDelet = makeButton(u"cmdDelet"_s, u"Deleted Items"_s, {96, 276, 89, 17});
    cmdDelete = makeButton(u"cmdDelete"_s, u"X"_s, {184, 276, 17, 17});
    cmdDelete->setToolTip(u"Delete Item"_s);
    cmdDelete->setAccessibleName(u"Delete Item"_s);
    cmdClear = makeButton(u"cmdClear"_s, u"Clear"_s, {200, 276, 41, 17});
    cmdCreateFullList = makeButton(u"cmdCreateFullList"_s, u"Create Full Text List"_s, {8, 292, 105, 17});
    cmdCreateSelectedText =
        makeButton(u"cmdCreateSelectedText"_s, u"Create Selected TextList"_s, {112, 292, 129, 17});
    // The style's button frame does not fit 17 pixels; a flat, tight one does.
    setStyleSheet(u"QPushButton { padding: 0px; min-height: 0px; }"_s);

    connect(cmdRedown, &QPushButton::clicked, this, &frmlists::cmdRedown_Click);
    connect(cmdDelet, &QPushButton::clicked, this, &frmlists::cmdDelet_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmlists::cmdDelete_Click);
    connect(cmdClear, &QPushButton::clicked, this, &frmlists::cmdClear_Click);
    connect(cmdCreateFullList, &QPushButton::clicked, this, &frmlists::cmdCreateFullList_Click);
    connect(cmdCreateSelectedText, &QPushButton::clicked, this, &frmlists::cmdCreateSelectedText_Click);

    QWidget *order[] = {lstRedownload, lstDeleted, txtList, cmdRedown, cmdDelet,
                        cmdDelete, cmdClear, cmdCreateFullList, cmdCreateSelectedText};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    for (QWidget *w : std::initializer_list<QWidget *>{lstRedownload, lstDeleted, txtList, lblmain, cmdRedown,
                                                       cmdDelet, cmdDelete, cmdClear, cmdCreateFullList,
                                                       cmdCreateSelectedText})
        w->installEventFilter(this);

    refill(lstRedownload, lists.entries(ListsModel::Which::Redownload));
    refill(lstDeleted, lists.entries(ListsModel::Which::Deleted));
    connect(&lists, &ListsModel::changed, this, [this](ListsModel::Which which) {
        refill(which == ListsModel::Which::Redownload ? lstRedownload : lstDeleted,
               this->lists.entries(which));
    });
}

void frmlists::refill(QListWidget *box, const QStringList &entries)
{
    box->clear();
    box->addItems(entries);
}

QListWidget *frmlists::currentList() const
{
    return state.RedownloadListActive ? lstRedownload : lstDeleted;
}

QString frmlists::selectedSongEntry() const
{
    return state.SelectedArtist + u" - "_s + state.SelectedSong;
}

void frmlists::ShowCorrectList()
{
    txtList->hide();
    const bool redownload = state.RedownloadListActive;
    cmdRedown->setEnabled(!redownload);
    cmdDelet->setEnabled(redownload);
    lstRedownload->setVisible(redownload);
    lstDeleted->setVisible(!redownload);
    const bool any = currentList()->count() > 0;
    for (QPushButton *b : {cmdDelete, cmdClear, cmdCreateFullList, cmdCreateSelectedText})
        b->setEnabled(any);
}

void frmlists::selectRedownloadEntry(int position)
{
    if (QListWidgetItem *item = lstRedownload->item(position))
        lstRedownload->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
}

void frmlists::cmdRedown_Click()
{
    state.RedownloadListActive = true;
    ShowCorrectList();
    lstRedownload->setFocus();
}

void frmlists::cmdDelet_Click()
{
    state.RedownloadListActive = false;
    ShowCorrectList();
    lstDeleted->setFocus();
}

void frmlists::cmdDelete_Click()
{
    QListWidget *box = currentList();
    const ListsModel::Which which =
        state.RedownloadListActive ? ListsModel::Which::Redownload : ListsModel::Which::Deleted;
    QList<int> rows;
    bool releases = false;
    for (int row = 0; row < box->count(); ++row) {
        if (!box->item(row)->isSelected())
            continue;
        rows.append(row);
        if (which == ListsModel::Which::Redownload && box->item(row)->text() == selectedSongEntry())
            releases = true;
    }
    if (releases)
        Q_EMIT markRedownloadReleased();
    lists.removePositions(which, rows);
    box->setFocus();
    ShowCorrectList();
}

void frmlists::cmdClear_Click()
{
    if (state.RedownloadListActive) {
        lists.clear(ListsModel::Which::Redownload);
        Q_EMIT markRedownloadReleased();
    } else {
        lists.clear(ListsModel::Which::Deleted);
    }
    cmdClear->setEnabled(false);
    cmdDelete->setEnabled(false);
}

void frmlists::showTextList(const QString &text)
{
    txtList->setPlainText(text);
    for (QPushButton *b : {cmdDelete, cmdClear, cmdCreateFullList, cmdCreateSelectedText})
        b->setEnabled(false);
    cmdDelet->setEnabled(true);
    cmdRedown->setEnabled(true);
    txtList->selectAll();
    txtList->show();
    txtList->raise();
    txtList->setFocus();
}

void frmlists::cmdCreateFullList_Click()
{
    txtList->clear();
    QListWidget *box = currentList();
    if (box->count() == 0)
        return;
    const ListsModel::Which which =
        state.RedownloadListActive ? ListsModel::Which::Redownload : ListsModel::Which::Deleted;
    showTextList(textListOf(lists.entries(which)));
}

void frmlists::cmdCreateSelectedText_Click()
{
    txtList->clear();
    QListWidget *box = currentList();
    QStringList selected;
    for (int row = 0; row < box->count(); ++row) {
        if (box->item(row)->isSelected())
            selected.append(box->item(row)->text());
    }
    if (selected.isEmpty())
        return;
    showTextList(textListOf(selected));
}

void frmlists::keyPressEvent(QKeyEvent *event)
{
    // Escape puts the window away, as closing it does.
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmlists::closeEvent(QCloseEvent *event)
{
    // The window lives as long as the program; closing it only hides it.
    event->ignore();
    hide();
}

bool frmlists::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
        static const QHash<QString, QString> help = {
            {u"cmdRedown"_s, u"View and organize the lyrics that you marked for redownload."_s},
            {u"cmdDelet"_s, u"View and organize the lyrics that you recently deleted."_s},
            {u"cmdDelete"_s, u"Delete selected entries of current list."_s},
            {u"cmdClear"_s, u"Delete all entries of the current list."_s},
            {u"cmdCreateFullList"_s, u"Create a text list with all entries of current list."_s},
            {u"cmdCreateSelectedText"_s,
             u"Create a text list with selected entries entries of current list."_s},
        };
        if (watched != txtList)
            lblmain->setText(help.value(watched->objectName(), kHelpText));
    }
    return QWidget::eventFilter(watched, event);
}

void frmlists::mouseMoveEvent(QMouseEvent *event)
{
    lblmain->setText(kHelpText);
    QWidget::mouseMoveEvent(event);
}
