#pragma once

// The changes made to the stamps while the song plays - a tap, a shift of
// them all, a nudge of one - and taking them back, the latest first, as far
// as the last load or save.

#include <utility>
#include <vector>

class KaraokePanel;
class VeskTimePicker;

class StampEdits
{
public:
    explicit StampEdits(KaraokePanel &panel);

    // Sets the row's stamp to the step; returns the row that comes next,
    // a new one at the end when the row was the last.
    int tap(int row, int step);
    // Every stamp, or one, moved by so many steps and kept within
    // 0:00.0 .. 13:59.8; false when none could move.
    bool shiftAll(int steps);
    bool nudge(int row, int steps);

    // Takes back the latest change; false when there is none. focusRow is
    // the row a tap was made on, else -1.
    bool undo(int &focusRow);
    // Forgets every change: saved, or the rows are no longer those the
    // changes were made to.
    void forget() { done.clear(); }
    bool canUndo() const { return !done.empty(); }

    // A row's stamp in steps of 0.2 s.
    static int stepOf(const VeskTimePicker &row);

private:
    struct Change
    {
        std::vector<std::pair<int, int>> before; // row, its step before
        bool addedRow = false;
        int tappedRow = -1;
    };

    int stepOf(int row) const;
    void setStep(int row, int step);
    // Moves the rows in turn; records what they held when any moved.
    bool move(int from, int to, int steps);

    KaraokePanel &panel;
    std::vector<Change> done;
};
