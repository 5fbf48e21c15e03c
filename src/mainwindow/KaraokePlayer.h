#pragma once

// Timing the stamps with the song playing: under the editor's buttons a
// Play toggle, the position and a slider that seeks, Tap, Earlier and Later;
// the keys that work them inside the editor; the row whose time has come
// marked and kept in sight. The music file comes from the music folder; the
// player is made the first time the user asks for the song.

#include "mainwindow/StampEdits.h"
#include "playback/SongPlayer.h"

#include <QObject>
#include <QPointer>

class QAction;
class QKeyEvent;
class QLabel;
class QPushButton;
class QSlider;
class QWidget;
class KaraokePanel;
class Platform;
class VeskTimePicker;

class KaraokePlayer : public QObject
{
    Q_OBJECT

public:
    KaraokePlayer(Platform &platform, KaraokePanel &panel, QWidget &frame);
    ~KaraokePlayer() override;

    // The strip of controls, a child of the editor's frame, for the panel to place.
    QWidget &strip() const { return *picPlayer; }
    // The controls come in the tab order between these two.
    void chainTabOrder(QWidget *before, QWidget *after);

    void setMusic(const KaraokeMusic &music);
    // The rows hold this song's stamps now; its music is looked for.
    void songLoaded(const QString &lyricsPath);
    // The editor is put away: the song stops.
    void songClosed();
    // The music files known changed: the song's is asked for again.
    void musicFilesChanged();
    // The rows are in the file: undo goes back no further.
    void saved() { edits.forget(); }
    // Rows were added or deleted by hand; the changes recorded no longer fit them.
    void rowsRearranged() { edits.forget(); }
    void followPalette();

    // What the controls and the keys do.
    void playToggled(bool play);
    void tap();
    void shiftAll(int steps);
    void nudge(int steps);
    void undo();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Key { None, Tap, Earlier, Later, NudgeEarlier, NudgeLater, Undo };

    void createControls();
    // The player made on first use, holding the song's file; false when
    // there is no file or no player.
    bool ready();
    void useMusic(const MusicFile &found);
    void updateControls();
    void positionChanged(qint64 positionMs);
    void playingChanged(bool playing);
    void failed(const QString &file, const QString &reason);
    void seekTo(int positionMs);
    void playFrom(qint64 positionMs);
    // The row whose time has come at this position (its stamp, up to the
    // next row's), or -1.
    int rowAt(qint64 positionMs) const;
    void mark(int row, bool scroll);
    int rowOf(const QWidget *widget) const;
    int focusedRow() const;
    Key keyFor(const QKeyEvent *event, QWidget *focus) const;
    void run(Key key);
    bool timeDoubleClicked(QObject *watched);

    Platform &platform;
    KaraokePanel &panel;
    QWidget &frame;
    StampEdits edits;
    KaraokeMusic music;
    QString lyricsPath;
    QString musicPath;
    bool searching = false;
    // Made on first use, a child of this object.
    SongPlayer *player = nullptr;
    QPointer<VeskTimePicker> marked;

    QWidget *picPlayer = nullptr;
    QPushButton *cmdPlay = nullptr;
    QLabel *lblPosition = nullptr;
    QPushButton *cmdTap = nullptr;
    QSlider *sldPosition = nullptr;
    QPushButton *cmdEarlier = nullptr;
    QPushButton *cmdLater = nullptr;
    QAction *playKey = nullptr;
    QAction *tapKey = nullptr;
};
