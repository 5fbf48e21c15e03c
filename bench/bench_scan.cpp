// The library scan against what the file system alone costs: reading the 26
// letter folders and one stat per possible timestamp file, in plain C.
//
// Usage: bench_scan CACHE_FOLDER RUNS
// Prints "floor_ms", "scan_ms" and "ratio" medians, one per line.

#include "library/LibraryScan.h"
#include "library/LibraryTree.h"

#include "bench/Median.h"

#include <QElapsedTimer>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// Every name in every letter folder, and a stat of "<name>.kas" for every
// "<name>.txt": the least any scan that counts timestamps has to do.
long fileSystemFloor(const std::string &cache)
{
    long found = 0;
    struct stat st;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const std::string folder = cache + letter + '/';
        DIR *dir = opendir(folder.c_str());
        if (!dir)
            continue;
        while (const dirent *entry = readdir(dir)) {
            const size_t length = std::strlen(entry->d_name);
            if (length < 4 || std::strcmp(entry->d_name + length - 4, ".txt") != 0)
                continue;
            std::string kas = folder + entry->d_name;
            kas.replace(kas.size() - 3, 3, "kas");
            if (stat(kas.c_str(), &st) == 0)
                ++found;
            ++found;
        }
        closedir(dir);
    }
    return found;
}


} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s CACHE_FOLDER RUNS\n", argv[0]);
        return 2;
    }
    std::string cache = argv[1];
    if (cache.back() != '/')
        cache += '/';
    const int runs = std::max(1, std::atoi(argv[2]));

    std::vector<double> floors, scans, ratios;
    long sink = fileSystemFloor(cache); // warm the caches once
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        sink += fileSystemFloor(cache);
        const double floorMs = timer.nsecsElapsed() / 1e6;

        LibraryTree tree;
        timer.restart();
        const ScanCounts counts = scanCacheFolder(QString::fromLocal8Bit(cache.c_str()), tree);
        const TreeNodeRecords snapshot = TakeTreeSnapshot(tree);
        const double scanMs = timer.nsecsElapsed() / 1e6;
        sink += counts.Lyrics + long(snapshot.size());

        floors.push_back(floorMs);
        scans.push_back(scanMs);
        ratios.push_back(scanMs / floorMs);
    }
    std::printf("floor_ms %.2f\nscan_ms %.2f\nratio %.2f\n", median(floors), median(scans), median(ratios));
    return sink > 0 ? 0 : 1;
}
