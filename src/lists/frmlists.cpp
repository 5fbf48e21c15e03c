#include "lists/frmlists.h"

#include "app/AppState.h"
#include "lists/ListsModel.h"

#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {
const QString kHelpText = u"Organize your deleted and marked for redownload lyrics list and "
                          u"drag-n-drop them into Wordhive for redownloading."_s;
} // namespace

frmlists::frmlists(AppState &state, ListsModel &lists, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      state(state), lists(lists)
{
    setObjectName(u"frmlists"_s);
    setWindowTitle(u"Lists"_s);
    setFixedSize(248, 312);

    auto makeList = [this](const QString &name) {
        auto *box = new QListWidget(this);
        box->setObjectName(name);
        box->setSelectionMode(QAbstractItemView::ExtendedSelection);
        box->setGeometry(8, 8, 233, 225);
        return box;
    };
    lstRedownload = makeList(u"lstRedownload"_s);
    lstDeleted = makeList(u"lstDeleted"_s);

    txtList = new QPlainTextEdit(this);
    txtList->setObjectName(u"txtList"_s);
    txtList->setGeometry(8, 8, 233, 225);
    txtList->hide();

    lblmain = new QLabel(kHelpText, this);
    lblmain->setObjectName(u"lblmain"_s);
    lblmain->setWordWrap(true);
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
    cmdClear = makeButton(u"cmdClear"_s, u"Clear"_s, {200, 276, 41, 17});
    cmdCreateFullList = makeButton(u"cmdCreateFullList"_s, u"Create Full Text List"_s, {8, 292, 105, 17});
    cmdCreateSelectedText =
        makeButton(u"cmdCreateSelectedText"_s, u"Create Selected TextList"_s, {112, 292, 129, 17});

    refill(lstRedownload, lists.entries(ListsModel::Which::Redownload));
    refill(lstDeleted, lists.entries(ListsModel::Which::Deleted));
    connect(&lists, &ListsModel::changed, this, [this](ListsModel::Which which) {
        if (which == ListsModel::Which::Redownload)
            refill(lstRedownload, this->lists.entries(which));
        else
            refill(lstDeleted, this->lists.entries(which));
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
    if (QListWidgetItem *item = lstRedownload->item(position)) {
        lstRedownload->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
    }
}

void frmlists::closeEvent(QCloseEvent *event)
{
    event->ignore();
    hide();
}
