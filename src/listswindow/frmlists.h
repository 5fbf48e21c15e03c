#pragma once

// The small always-on-top window that shows the redownload list or the
// deleted list, prunes and clears them, and turns them into text to hand to
// the downloader. Closing it only hides it.

#include "lists/ListsModel.h"

#include <QList>
#include <QWidget>

class QLabel;
class QListView;
class QPlainTextEdit;
class QPushButton;

struct AppState;

class frmlists : public QWidget
{
    Q_OBJECT
    Q_CLASSINFO("accessibleRole", "window")

public:
    frmlists(AppState &state, ListsModel &lists, QWidget *parent = nullptr);

    // Shows the list RedownloadListActive names and sets the buttons for it.
    void ShowCorrectList();
    // Makes the entry at position the selected one of the redownload list.
    void selectRedownloadEntry(int position);

    void cmdRedown_Click();
    void cmdDelet_Click();
    void cmdDelete_Click();
    void cmdClear_Click();
    void cmdCreateFullList_Click();
    void cmdCreateSelectedText_Click();
    void cmdRestore_Click();

Q_SIGNALS:
    // The selected song's entry left the redownload list.
    void markRedownloadReleased();
    // The songs of the deleted list's entries at these positions are to be
    // put back from the trash.
    void restoreRequested(const QList<int> &positions);

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    // The seven buttons under the lists, at their designed places.
    void createButtons();
    QListView *currentList() const;
    ListsModel::Which currentWhich() const;
    // The current list's selected rows, top first.
    QList<int> selectedRows() const;
    // X, Clear and the two create buttons: on while the current list has entries.
    void enableEntryButtons();
    QString selectedSongEntry() const;
    // After a text list is made: only the two view buttons lead on.
    void showTextList(const QString &text);

    AppState &state;
    ListsModel &lists;

    QListView *lstRedownload = nullptr;
    QListView *lstDeleted = nullptr;
    QPlainTextEdit *txtList = nullptr;
    QLabel *lblmain = nullptr;
    QPushButton *cmdRedown = nullptr;
    QPushButton *cmdDelet = nullptr;
    QPushButton *cmdDelete = nullptr;
    QPushButton *cmdClear = nullptr;
    QPushButton *cmdCreateFullList = nullptr;
    QPushButton *cmdCreateSelectedText = nullptr;
    QPushButton *cmdRestore = nullptr;
};

// The entries of a list visited in list order, joined by CR LF, with no line
// end after the last.
QString textListOf(const QStringList &entries);
