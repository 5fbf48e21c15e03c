#include "listswindow/frmlists.h"

#include "widgets/Accessibility.h"
#include "app/AppState.h"
#include "app/SongSelection.h"
#include "lists/ListsModel.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QHash>
#include <QLabel>
#include <QListView>
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

frmlists::frmlists(AppState &appState, ListsModel &listsModel, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint
                          | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      state(appState), lists(listsModel)
{
    Accessibility::install();
    setObjectName(u"frmlists"_s);
    setWindowTitle(u"Lists"_s);
    // One row more than designed, for Restore under the deleted list.
    setFixedSize(248, 328);
    setMouseTracking(true);
    QFont small(u"Arial"_s);
    small.setPointSizeF(8);
    setFont(small);

    auto makeList = [this](const QString &name, ListsModel::Which which) {
        auto *box = new QListView(this);
        box->setObjectName(name);
        box->setModel(this->lists.model(which));
        box->setAccessibleName(name == u"lstRedownload" ? u"Marked for Redownload"_s : u"Deleted Items"_s);
        box->setSelectionMode(QAbstractItemView::ExtendedSelection);
        box->setGeometry(8, 8, 233, 225);
        return box;
    };
    lstRedownload = makeList(u"lstRedownload"_s, ListsModel::Which::Redownload);
    lstDeleted = makeList(u"lstDeleted"_s, ListsModel::Which::Deleted);

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

    createButtons();

    QWidget *order[] = {lstRedownload, lstDeleted, txtList, cmdRedown, cmdDelet,
                        cmdDelete, cmdClear, cmdCreateFullList, cmdCreateSelectedText, cmdRestore};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    for (QWidget *w : std::initializer_list<QWidget *>{lstRedownload, lstDeleted, txtList, lblmain, cmdRedown,
                                                       cmdDelet, cmdDelete, cmdClear, cmdCreateFullList,
                                                       cmdCreateSelectedText, cmdRestore})
        w->installEventFilter(this);

    // The other window changes the lists too (Delete, + Redown): the buttons
    // of the list on show follow its count. A text list on show stays as the
    // user made it, with only the view buttons leading on.
    connect(&lists, &ListsModel::changed, this, [this](ListsModel::Which which) {
        if (which == currentWhich() && txtList->isHidden())
            enableEntryButtons();
    });
}

void frmlists::createButtons()
{
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
    cmdRestore = makeButton(u"cmdRestore"_s, u"Restore"_s, {8, 308, 89, 17});
    cmdRestore->setAccessibleName(u"Restore"_s);
    cmdRestore->setToolTip(u"Put the selected songs back from the desktop's trash"_s);
    // The style's button frame does not fit 17 pixels; a flat, tight one does.
    setStyleSheet(u"QPushButton { padding: 0px; min-height: 0px; }"_s);

    connect(cmdRedown, &QPushButton::clicked, this, &frmlists::cmdRedown_Click);
    connect(cmdDelet, &QPushButton::clicked, this, &frmlists::cmdDelet_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmlists::cmdDelete_Click);
    connect(cmdClear, &QPushButton::clicked, this, &frmlists::cmdClear_Click);
    connect(cmdCreateFullList, &QPushButton::clicked, this, &frmlists::cmdCreateFullList_Click);
    connect(cmdCreateSelectedText, &QPushButton::clicked, this, &frmlists::cmdCreateSelectedText_Click);
    connect(cmdRestore, &QPushButton::clicked, this, &frmlists::cmdRestore_Click);
}

QListView *frmlists::currentList() const
{
    return state.RedownloadListActive ? lstRedownload : lstDeleted;
}

ListsModel::Which frmlists::currentWhich() const
{
    return state.RedownloadListActive ? ListsModel::Which::Redownload : ListsModel::Which::Deleted;
}

QList<int> frmlists::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : currentList()->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void frmlists::enableEntryButtons()
{
    const bool any = !lists.entries(currentWhich()).isEmpty();
    for (QPushButton *b : {cmdDelete, cmdClear, cmdCreateFullList, cmdCreateSelectedText, cmdRestore})
        b->setEnabled(any);
}

QString frmlists::selectedSongEntry() const
{
    return selectedEntry(state);
}

void frmlists::ShowCorrectList()
{
    txtList->hide();
    const bool redownload = state.RedownloadListActive;
    cmdRedown->setEnabled(!redownload);
    cmdDelet->setEnabled(redownload);
    lstRedownload->setVisible(redownload);
    lstDeleted->setVisible(!redownload);
    cmdRestore->setVisible(!redownload);
    enableEntryButtons();
}

void frmlists::selectRedownloadEntry(int position)
{
    const QModelIndex index = lstRedownload->model()->index(position, 0);
    if (index.isValid())
        lstRedownload->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
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
    // The entries are taken as the user chose them, before anything goes:
    // removing rows moves the view's current row, which is no choice.
    const ListsModel::Which which = currentWhich();
    const QList<int> rows = selectedRows();
    bool releases = false;
    if (which == ListsModel::Which::Redownload) {
        const QStringList &entries = lists.entries(which);
        for (int row : rows)
            releases = releases || entries.at(row) == selectedSongEntry();
    }
    if (releases)
        Q_EMIT markRedownloadReleased();
    lists.removePositions(which, rows);
    currentList()->setFocus();
    ShowCorrectList();
}

void frmlists::cmdRestore_Click()
{
    if (state.RedownloadListActive)
        return;
    // Taken as the user chose them, once.
    const QList<int> rows = selectedRows();
    if (!rows.isEmpty())
        Q_EMIT restoreRequested(rows);
    lstDeleted->setFocus();
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
    for (QPushButton *b : {cmdDelete, cmdClear, cmdCreateFullList, cmdCreateSelectedText, cmdRestore})
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
    const QStringList &entries = lists.entries(currentWhich());
    if (entries.isEmpty())
        return;
    showTextList(textListOf(entries));
}

void frmlists::cmdCreateSelectedText_Click()
{
    txtList->clear();
    const QStringList &entries = lists.entries(currentWhich());
    QStringList selected;
    for (int row : selectedRows())
        selected.append(entries.at(row));
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
            {u"cmdRestore"_s, u"Put the selected songs back from the desktop's trash into the library."_s},
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
