#pragma once

// The rows of the karaoke editor: one time picker per stamp, stacked one
// pitch apart in the moving row area. Loads a timestamp file into the rows,
// saves them back with the file's unparsed tail, inserts and deletes rows.

#include <QByteArray>
#include <QObject>
#include <QSize>

#include <vector>

class Platform;
class QWidget;
class VeskTimePicker;

class clsKaraokeEdition : public QObject
{
    Q_OBJECT

public:
    // Creates row 0 in rowArea, which the editor moves to scroll.
    clsKaraokeEdition(QWidget &rowArea, Platform &platform, QObject *parent = nullptr);

    enum class LoadResult { Loaded, Unreadable, NotATimestampFile };
    // Replaces the rows by the file's records. A file that cannot be read,
    // or is not in the format (no ';', a code byte below 64), leaves the
    // rows empty and says so: saving them over it would destroy it.
    LoadResult LoadKasFile(const QString &path);
    // Writes the rows and the tail, replacing the file whole. False when the
    // file could not be written; the old one is then as it was.
    bool SaveKasFile(const QString &path);
    // Destroys every row but row 0 and forgets the tail. Row 0 keeps its values.
    void UnloadAll();
    // Inserts an empty row (0:00.0, no tag) at position 0..last + 1.
    void Add(int position);
    // Deletes the row at position; refuses the first row and the only row.
    void Del(int position);
    // The rows come first in the window's tab order, top to bottom.
    void ArrangeTabOrder();
    // The tags in the text colour of the palette now in use.
    void followPalette();
    // The last stop of the rows in the tab order.
    QWidget *lastInTabOrder() const;

    // A row's size and the distance from one row's top to the next, in
    // pixels: the designed 1455 x 270 twips and 300 twips, or more where
    // the rows' fonts and arrows need it.
    QSize rowSize() const;
    int rowPitch() const;
    // Rows as wide as the editor's column; never narrower than they need.
    void setRowWidth(int pixels);

    int last() const { return int(rows.size()) - 1; }
    // Rows added, deleted or changed since the last load or save.
    bool isModified() const { return modified; }
    void setModified(bool changed) { modified = changed; }
    // Rows in sight whose tag is empty: the file has no place for them.
    int untaggedRows() const;
    VeskTimePicker *row(int index) const;
    const QByteArray &kasTail() const { return KasTail; }

Q_SIGNALS:
    // The keyboard focus went into a row.
    void rowFocused(int index);

private:
    VeskTimePicker *createRow();
    void placeRow(int index);
    void resizeRowArea(int rowCount);
    void copyValues(VeskTimePicker *to, const VeskTimePicker *from);
    void clearRow(VeskTimePicker *row);
    void retireLastRow();

    QWidget &rowArea;
    Platform &platform;
    std::vector<VeskTimePicker *> rows;
    QByteArray KasTail;
    int rowWidth;
    int rowsInArea = 1;
    bool modified = false;
    bool loading = false;
};
