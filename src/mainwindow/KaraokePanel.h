#pragma once

// The karaoke editor beside the lyrics: Add, Del and Save over a column of
// timestamp rows that scrolls in its viewport. Made on first use; shown for
// a song that has a timestamp file.

#include "playback/SongPlayer.h"

#include <QObject>
#include <QString>

class QGroupBox;
class QPushButton;
class QScrollBar;
class QWidget;

struct MainLayout;
class KaraokePlayer;
class Platform;
class clsKaraokeEdition;

class KaraokePanel : public QObject
{
    Q_OBJECT

public:
    // The frame is made at once, hidden, as a child of window; its buttons
    // and rows come with the first song that has timestamps. The panel
    // keeps the karaoke part of the window's layout.
    KaraokePanel(Platform &platform, MainLayout &layout, QWidget &window);

    QWidget &frame() const;
    // The row manager, made with the editor's controls on first use.
    clsKaraokeEdition &karaokeEdition();
    // The row that last had the keyboard focus.
    int currentStamp() const { return CurrentStamp; }

    // Loads the timestamps of the lyrics file's song and shows the editor,
    // or hides it and says so when the file cannot be read.
    void LoadTimestamps(const QString &lyricsPath);
    void ShowKaraokeEditionFrame(bool show);
    void UpdateKaraokeScroll();
    // Where Save writes: the selected song's lyrics file, or none.
    void setLyricsPath(const QString &path) { lyricsPath = path; }
    // The control the tab order goes to after the last row.
    void setNextInTabOrder(QWidget *widget) { afterRows = widget; }
    // Where the song's music comes from, for playing it while timing.
    void setMusic(const KaraokeMusic &music);
    // The music files known changed: the song's is asked for again.
    void musicFilesChanged();

    // For the player: a row at the end and away again, the focus into a
    // row, a row brought into sight.
    void appendRow();
    void dropLastRow();
    void focusRow(int index);
    void scrollRowIntoView(int index);

    void cmdAdd_Click();
    void cmdDel_Click();
    void cmdSave_Click();
    // Writes the rows to the song's timestamp file and says how it went;
    // false when some rows are still only on screen.
    bool saveTimestamps();
    // Rows added, deleted or changed on screen and not in the file.
    bool hasUnsavedChanges() const;
    // The rows' changes are not to be asked about again.
    void forgetChanges();
    void VScroll1_Change(int value);

    void applyLayout(const MainLayout &layout);
    void followPalette();

Q_SIGNALS:
    // The karaoke part of the layout changed; the window lays itself out again.
    void layoutChanged();

private:
    void createControls();
    void arrangeTabOrder();
    void rearrangeAfterRowChange();

    Platform &platform;
    MainLayout &layout;
    QString lyricsPath;
    QWidget *afterRows = nullptr;
    int CurrentStamp = 0;
    KaraokeMusic music;

    QGroupBox *frmKaraoke = nullptr;
    QWidget *Picture1 = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdDel = nullptr;
    QPushButton *cmdSave = nullptr;
    QWidget *picContainerKasEditModeOne = nullptr;
    QScrollBar *VScroll1 = nullptr;
    QWidget *picMoveable1 = nullptr;
    clsKaraokeEdition *KaraokeEdition = nullptr;
    KaraokePlayer *player = nullptr;
};
