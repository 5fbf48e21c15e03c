// frmMain: the search box and the filtered tree.

#include "mainwindow/frmMain.h"

#include "app/AppState.h"
#include "library/LibraryScan.h"
#include "library/LibraryTree.h"
#include "library/LibraryTreeModel.h"
#include "library/SearchFilter.h"
#include "library/SongNames.h"
#include "mainwindow/LibraryTreeView.h"

#include <QLabel>
#include <QLineEdit>

#include <utility>

void frmMain::txtSearch_Change()
{
    const QString text = trimSpaces(txtSearch->text());
    // Only text that adds to the last one may narrow what the tree shows;
    // anything else starts again from the whole library.
    if (searchNeedsRestore(LastSearchText, text))
        RestoreTree();
    LastSearchLength = int(text.size());
    LastSearchText = text;
    if (text.isEmpty()) {
        ShowLabel(false);
        return;
    }
    applySearch(text);
}

void frmMain::applySearch(const QString &text)
{
    FilterCounts counts;
    keepingViewState([&] { counts = filterTree(*tree, text); });
    lblSearchResults->setText(searchResultsCaption(counts));
    lblSearchResults->adjustSize();
    ShowLabel(true);
}

void frmMain::RestoreTree()
{
    // The rebuilt tree is the last scan's: nothing is open or selected in it.
    expandedNodes.clear();
    ::RestoreTree(*tree, state.TreeSnapshot);
}

void frmMain::ShowLabel(bool show)
{
    layout.lista.Top = show ? 1740 : 1500;
    // The tree keeps its bottom edge instead of reaching below the window
    // until the next resize.
    layout.ArrangeHeights();
    applyLayout();
    lblSearchResults->setVisible(show);
}

void frmMain::keepingViewState(const std::function<void()> &change)
{
    // Nodes taken out by the change stay readable until the tree is cleared,
    // so holding on to them is safe; no key lookups on a large library.
    LibraryNode *current = model->nodeAt(lista->currentIndex());
    change();
    const QSet<LibraryNode *> open = std::exchange(expandedNodes, {});
    for (LibraryNode *node : open) {
        if (node->inTree())
            lista->setExpanded(model->indexOf(node), true); // back into the set through expanded()
    }
    if (current && current->inTree())
        lista->setCurrentIndex(model->indexOf(current));
}
