#pragma once

// What one pass of bringing the lyrics index in line with the cache folder did.

#include <QMetaType>

struct LyricsSyncReport
{
    int Listed = 0;  // song files found in the letter folders
    int Added = 0;   // new since the last pass
    int Changed = 0; // of another size or modification time
    int Removed = 0; // in the index but no longer in the folder
    int Read = 0;    // files opened and read
    bool Complete = false; // false when stopped early or when the index failed
    bool Rebuilt = false;  // the index was started from nothing
};

Q_DECLARE_METATYPE(LyricsSyncReport)
