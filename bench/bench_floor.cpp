// The file system's floor as a process of its own: started, the names of
// the 26 letter folders read, ended. No toolkit is loaded, so its time from
// start to exit is what a start-up cannot go below besides its window.
//
// Usage: bench_floor CACHE_FOLDER
// Prints the number of entries read.

#include "bench/FileSystemFloor.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CACHE_FOLDER\n", argv[0]);
        return 2;
    }
    std::string cache = argv[1];
    if (cache.empty() || cache.back() != '/')
        cache += '/';
    std::printf("entries %ld\n", readLetterFolderNames(cache));
    return 0;
}
