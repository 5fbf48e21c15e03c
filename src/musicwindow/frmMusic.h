#pragma once

// The Music window: the music folder's files set against the lyrics cache.
// Tracks without a song can be marked for download; tracks with one show
// whether their file holds lyrics, open the song in the main window, and can
// be given the song's lyrics. Non-modal; closing it only hides it.

#include <QWidget>

#include <vector>

class QLabel;
class QListView;
class QModelIndex;
class QProgressBar;
class QPushButton;
class QStringListModel;

struct AppState;
struct LyricsBatchReport;
class ListsModel;
class MusicLibrary;
class Platform;

class frmMusic : public QWidget
{
    Q_OBJECT
    Q_CLASSINFO("accessibleRole", "window")

public:
    frmMusic(const AppState &state, Platform &platform, ListsModel &lists, MusicLibrary &library,
             QWidget *parent = nullptr);
    ~frmMusic() override;

    void cmdChooseFolder_Click();
    void cmdMarkDownload_Click();
    void cmdPutLyrics_Click();

Q_SIGNALS:
    // The song with this key is to be opened in the main window.
    void songChosen(const QString &key);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void createControls();
    // The lists and the summary from the library, keeping the selection.
    void showLibrary();
    void showSummary();
    void showWriting(bool writing);
    void lstWith_Activated(const QModelIndex &index);
    void writeFinished(const LyricsBatchReport &report);
    // The tracks of the rows selected in view, or of every row when none is.
    std::vector<int> chosenTracks(QListView *view, const std::vector<int> &rowTracks) const;

    const AppState &state;
    Platform &platform;
    ListsModel &lists;
    MusicLibrary &library;
    QString readProgressText;

    QLabel *lblFolder = nullptr;
    QPushButton *cmdChooseFolder = nullptr;
    QLabel *lblSummary = nullptr;
    QListView *lstWithout = nullptr;
    QListView *lstWith = nullptr;
    QStringListModel *withoutRows = nullptr;
    QStringListModel *withRows = nullptr;
    std::vector<int> withoutTracks; // row -> track
    std::vector<int> withTracks;
    QPushButton *cmdMarkDownload = nullptr;
    QPushButton *cmdPutLyrics = nullptr;
    QProgressBar *prgWriting = nullptr;
    QPushButton *cmdCancel = nullptr;
    QLabel *lblStatus = nullptr;
};
