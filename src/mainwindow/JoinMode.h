#pragma once

// Join mode: the first press of Join Lyrics shows check boxes in the tree;
// the second writes the ticked songs, in tree order, into one file in the
// downloader's folder for printing, and offers to open it.

#include <QObject>

class QAction;

struct AppState;
class LibraryColumn;
class Platform;

class JoinMode : public QObject
{
    Q_OBJECT

public:
    JoinMode(AppState &state, Platform &platform, LibraryColumn &column, QAction &button,
             QObject *parent = nullptr);

    // The button was pressed; its new pressed state says which half this is.
    void JoinLyrics_Click();

private:
    // The button shows its icon text, which Qt would otherwise make from the
    // text without its trailing "...".
    void setCaption(const QString &caption);

    AppState &state;
    Platform &platform;
    LibraryColumn &column;
    QAction &button;
};
