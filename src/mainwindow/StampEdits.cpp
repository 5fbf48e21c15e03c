#include "mainwindow/StampEdits.h"

#include "karaoke/StampTime.h"
#include "mainwindow/KaraokePanel.h"
#include "mainwindow/clsKaraokeEdition.h"
#include "widgets/VeskTimePicker.h"

#include <algorithm>

StampEdits::StampEdits(KaraokePanel &karaoke) : panel(karaoke) {}

int StampEdits::stepOf(const VeskTimePicker &row)
{
    return StampTime::steps({row.Minute(), row.Second(), row.Frame()});
}

int StampEdits::stepOf(int row) const
{
    return stepOf(*panel.karaokeEdition().row(row));
}

void StampEdits::setStep(int row, int step)
{
    VeskTimePicker *picker = panel.karaokeEdition().row(row);
    const Stamp stamp = StampTime::fromSteps(step);
    picker->setMinute(stamp.Minute);
    picker->setSecond(stamp.Second);
    picker->setFrame(stamp.Frame);
}

int StampEdits::tap(int row, int step)
{
    const clsKaraokeEdition &rows = panel.karaokeEdition();
    if (row < 0 || row > rows.last())
        return row;
    Change change;
    change.before.emplace_back(row, stepOf(row));
    change.tappedRow = row;
    setStep(row, step);
    if (row == rows.last()) {
        panel.appendRow();
        change.addedRow = true;
    }
    done.push_back(std::move(change));
    return row + 1;
}

bool StampEdits::move(int from, int to, int steps)
{
    Change change;
    for (int row = from; row <= to; ++row) {
        const int was = stepOf(row);
        const int now = std::clamp(was + steps, 0, StampTime::LastStep);
        if (now == was)
            continue;
        change.before.emplace_back(row, was);
        setStep(row, now);
    }
    if (change.before.empty())
        return false;
    done.push_back(std::move(change));
    return true;
}

bool StampEdits::shiftAll(int steps)
{
    return move(0, panel.karaokeEdition().last(), steps);
}

bool StampEdits::nudge(int row, int steps)
{
    if (row < 0 || row > panel.karaokeEdition().last())
        return false;
    return move(row, row, steps);
}

bool StampEdits::undo(int &focusRow)
{
    if (done.empty())
        return false;
    const Change change = std::move(done.back());
    done.pop_back();
    if (change.addedRow)
        panel.dropLastRow();
    for (const auto &[row, step] : change.before) {
        if (row <= panel.karaokeEdition().last())
            setStep(row, step);
    }
    focusRow = change.tappedRow;
    return true;
}
