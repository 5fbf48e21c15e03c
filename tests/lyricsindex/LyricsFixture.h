#pragma once

// Shared by the lyrics index tests: waiting for a pass of the index, and the
// song titles a search found.

#include "lyricsindex/LyricsEngine.h"

#include <QSignalSpy>
#include <QStringList>

#include <functional>

// Starts something that makes the engine run a pass and waits for its end.
inline LyricsSyncReport syncAndWait(LyricsEngine &engine, const std::function<void()> &start, bool *ok = nullptr)
{
    QSignalSpy spy(&engine, &LyricsEngine::synced);
    start();
    const bool done = spy.wait(60000);
    if (ok)
        *ok = done;
    return done ? spy.takeFirst().at(0).value<LyricsSyncReport>() : LyricsSyncReport{};
}

inline QStringList titlesOf(const LyricsSearchResult &result, bool sorted)
{
    QStringList titles;
    for (const LyricsMatch &m : result.Matches)
        titles << m.Title;
    if (sorted)
        titles.sort();
    return titles;
}
