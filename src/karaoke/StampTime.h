#pragma once

// A stamp as a time of the song: steps of 0.2 s from 0:00.0 to 13:59.8, the
// most the two code bytes of a record hold. Playback positions are turned
// into steps rounding down, so a stamp never lies after the moment it marks.

#include "karaoke/KasFormat.h"

#include <QString>

namespace StampTime {

inline constexpr int StepMs = 200;
inline constexpr int LastStep = 13 * 300 + 59 * 5 + 4; // 13:59.8

// minute * 300 + second * 5 + frame / 2.
int steps(const Stamp &stamp);
// The stamp of a step, clamped to 0:00.0 .. 13:59.8.
Stamp fromSteps(int steps);
// The step a position of the song falls in (milliseconds), clamped likewise.
int stepsAt(qint64 positionMs);
inline qint64 msOf(int steps) { return qint64(steps) * StepMs; }
// A position as m:ss.t, the tenths rounded down ("1:23.4"); minutes run on
// past 13 for a long song.
QString positionText(qint64 positionMs);

} // namespace StampTime
