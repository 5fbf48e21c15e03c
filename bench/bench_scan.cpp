// The library scan (and the snapshot taken after it) against what the file
// system alone costs: opendir and readdir of the 26 letter folders, nothing
// more.
//
// Usage: bench_scan CACHE_FOLDER RUNS
// Prints "floor_ms", "scan_ms" and "ratio" medians, one per line.

#include "library/LibraryScan.h"
#include "library/LibraryTree.h"

#include "bench/FileSystemFloor.h"
#include "bench/Median.h"

#include <QElapsedTimer>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

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
    long sink = readLetterFolderNames(cache); // warm the caches once
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        sink += readLetterFolderNames(cache);
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
