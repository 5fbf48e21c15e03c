#pragma once

// The main window's song display: the heading above the right column, the
// information panel with its six values, and the lyrics box, with the box's
// editing state.

#include "platform/FileIdentity.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QLabel;
class QPushButton;
class QPlainTextEdit;
class QWidget;

struct AppState;
struct LibraryNode;
struct LyricsInfo;
struct MainLayout;
struct WholeFile;
class LinedLabel;
class Platform;

class SongPanel : public QObject
{
    Q_OBJECT

public:
    // Makes the panel's controls as children of window.
    SongPanel(AppState &state, Platform &platform, QWidget &window);

    // An artist was clicked: its name and its number of songs; no song.
    void showArtist(const LibraryNode &artist);
    // The key of the artist on display; empty when none is.
    const QString &artistKeyShown() const { return shownArtist; }
    // A song was clicked: the heading and the information titles for it.
    void showSongHeading();
    // Reads the selected song's file into the box and fills the values from
    // it; PageUrl and SiteName follow when the file names its source.
    LyricsInfo ShowLyrics();
    // Nothing is selected: heading, titles, values and box are empty.
    void showNothing();

    // The box holds the selected file's whole text as read, so that saving
    // it gives the file back what the user edited.
    bool showsWholeFile() const { return wholeFileShown; }
    void setEditable(bool editable);
    bool isEditable() const;
    // Text typed in the box that is not on disk.
    bool hasUnsavedEdits() const;
    // The box shows the text as it was read or saved last, unchanged.
    void discardEdits();
    // What the box holds is to be saved even where it is what was read.
    void keepEdits();
    // The box's text is on disk now, as these bytes.
    void savedAs(const QByteArray &bytes);
    // The selected song's file holds what was read or saved last: a change
    // told for it is none (the program's own save, or a touch).
    bool diskHoldsWhatWasShown() const;
    // The file shown, to be found again should it be renamed.
    const FileIdentity &shownFile() const { return shownIdentity; }
    // The selected song was renamed: the heading and the values say its new
    // name; the box keeps what it holds.
    void showRenamed();
    // The box's text with the file's CR LF line ends.
    QString editedText() const;
    QPlainTextEdit &lyricsBox() { return *lyrics; }
    // Scrolls the box to a line of the file (from 1) and marks it, until
    // the next song is shown.
    void showLine(int line);

    // The bar above the lyrics that says the file changed on disk while it
    // was being edited, offering "Reload" (when reloadable) and "Keep my text".
    void showDiskChange(const QString &message, bool reloadable);
    void hideDiskChange();
    bool diskChangeShown() const;

    void applyLayout(const MainLayout &layout);
    void applyColours();

Q_SIGNALS:
    void reloadChosen();
    void keepChosen();

private:
    void clearSong();
    void tellUnreadable(const WholeFile &file);
    QString shownArtist;
    void setValue(QLabel *label, const QString &text);

    AppState &state;
    Platform &platform;
    bool wholeFileShown = false;
    QString shownText;     // as the box got it
    bool keepTyped = false; // the user chose their text over a change on disk
    QByteArray diskBytes;  // the file as read or saved last
    FileIdentity shownIdentity;

    QLabel *LblSong = nullptr;
    QWidget *picInfo = nullptr;
    LinedLabel *lblInfoTitles = nullptr;
    QLabel *lblArtist = nullptr;
    QLabel *lblSong2 = nullptr;
    QLabel *lblKaraoke = nullptr;
    QLabel *lblWebsite = nullptr;
    QLabel *lblBrowser = nullptr;
    QLabel *lblFilter = nullptr;
    QPlainTextEdit *lyrics = nullptr;
    QWidget *picDiskChange = nullptr;
    QLabel *lblDiskChange = nullptr;
    QPushButton *cmdReload = nullptr;
    QPushButton *cmdKeep = nullptr;
};
