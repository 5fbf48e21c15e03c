#pragma once

// The small always-on-top window that shows the redownload list or the
// deleted list. Closing it only hides it.

#include <QWidget>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

struct AppState;
class ListsModel;

class frmlists : public QWidget
{
    Q_OBJECT

public:
    frmlists(AppState &state, ListsModel &lists, QWidget *parent = nullptr);

    // Shows the list RedownloadListActive names and sets the buttons for it.
    void ShowCorrectList();
    // Makes the entry at position the selected one of the redownload list.
    void selectRedownloadEntry(int position);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void refill(QListWidget *box, const QStringList &entries);
    QListWidget *currentList() const;

    AppState &state;
    ListsModel &lists;

    QListWidget *lstRedownload = nullptr;
    QListWidget *lstDeleted = nullptr;
    QPlainTextEdit *txtList = nullptr;
    QLabel *lblmain = nullptr;
    QPushButton *cmdRedown = nullptr;
    QPushButton *cmdDelet = nullptr;
    QPushButton *cmdDelete = nullptr;
    QPushButton *cmdClear = nullptr;
    QPushButton *cmdCreateFullList = nullptr;
    QPushButton *cmdCreateSelectedText = nullptr;
};
