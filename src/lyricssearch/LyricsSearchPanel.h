#pragma once

// "Find in lyrics": a field that searches the lyrics index as the user types,
// a line that shows the indexing's progress, a line that counts the songs
// found, and the list of them, best first. Choosing a song (click, double
// click, Enter) emits songActivated; the window opens it from there.
// Keys: Down from the field into the list, Enter chooses, Escape clears.

#include <QWidget>

#include <QElapsedTimer>
#include <QPersistentModelIndex>

class LyricsEngine;
struct LyricsSearchResult;
class LyricsMatchModel;
class QLabel;
class QLineEdit;
class QListView;
class QTimer;

class LyricsSearchPanel : public QWidget
{
    Q_OBJECT

public:
    explicit LyricsSearchPanel(LyricsEngine &engine, QWidget *parent = nullptr);

    QLineEdit *findField() const { return txtFind; }
    QListView *matchesView() const { return lstMatches; }
    // The field, its text selected, for a key that goes to the search.
    void focusFind();

    // What the two status lines say; empty while hidden.
    QString progressText() const;
    QString countText() const;

Q_SIGNALS:
    // key: "X/Artist - Song.txt" (the song's file is the cache folder + key);
    // line: the line of that file the words were found in, from 1, or 0 when
    // they are in the song's name only.
    void songActivated(const QString &key, int line);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The line under the field that says what a search found.
    static QString resultLine(const LyricsSearchResult &result);
    void runSearch();
    void showProgress();
    void activate(const QModelIndex &index);
    void clearSearch();

    LyricsEngine &engine;
    QLineEdit *txtFind;
    QLabel *lblProgress;
    QLabel *lblMatches;
    QListView *lstMatches;
    LyricsMatchModel *model;
    QTimer *typing;
    bool stillIndexing = false;
    // A double click is a click and then an activation: one choice.
    QPersistentModelIndex lastActivated;
    QElapsedTimer sinceActivation;
};
