#pragma once

// The least a scan of the library has to ask of the file system: the names
// in the 26 letter folders, one opendir and readdir each. Plain C.

#include <dirent.h>
#include <string>

// cache ends in '/'. Returns the number of entries read.
inline long readLetterFolderNames(const std::string &cache)
{
    long entries = 0;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        DIR *dir = opendir((cache + letter).c_str());
        if (!dir)
            continue;
        while (readdir(dir))
            ++entries;
        closedir(dir);
    }
    return entries;
}
