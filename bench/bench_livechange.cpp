// What one change on disk costs the window while the library follows the
// disk: a song file added to one letter folder, then removed again, each
// taken into the tree, the counts and the snapshot, with the tree shown and
// an artist open, until the window has repainted. Then the same for 200
// songs at once, among the others: the collection is numbered once for
// them, not once a song.
//
// Usage: bench_livechange CACHE_FOLDER RUNS

#include "bench/BenchWindow.h"
#include "bench/Median.h"
#include "library/LibraryTree.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = benchRuns(argc, argv, "CACHE_FOLDER RUNS");
    if (runs == 0)
        return 2;
    BenchWindow bench;
    if (!bench.open(QString::fromLocal8Bit(argv[1])))
        return 1;
    frmMain &form = bench.window();
    const QString added = bench.cachePath() + QStringLiteral("K/Kestrel Bench - Added Song.txt");
    auto settle = [&] {
        QCoreApplication::processEvents();
        form.repaint();
    };
    auto write = [](const QString &path) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write("la la\r\n") == 7;
    };
    std::vector<double> adds, removals, manyAdds;
    for (int run = 0; run < runs; ++run) {
        if (!write(added))
            return 1;
        QElapsedTimer timer;
        timer.start();
        form.libraryChangedOnDisk({QStringLiteral("K")});
        settle();
        adds.push_back(timer.nsecsElapsed() / 1e6);

        QFile::remove(added);
        timer.restart();
        form.libraryChangedOnDisk({QStringLiteral("K")});
        settle();
        removals.push_back(timer.nsecsElapsed() / 1e6);

        QStringList many;
        for (int i = 0; i < 200; ++i) {
            many << bench.cachePath() + QStringLiteral("K/Kestrel Bench %1 - Song.txt").arg(i, 3, 10, QLatin1Char('0'));
            if (!write(many.last()))
                return 1;
        }
        timer.restart();
        form.libraryChangedOnDisk({QStringLiteral("K")});
        settle();
        manyAdds.push_back(timer.nsecsElapsed() / 1e6);
        for (const QString &path : std::as_const(many))
            QFile::remove(path);
        form.libraryChangedOnDisk({QStringLiteral("K")});
    }
    std::printf("nodes %d\nadd_ms %.2f\nremove_ms %.2f\nadd_200_ms %.2f\n", form.libraryTree().count(),
                median(adds), median(removals), median(manyAdds));
    return 0;
}
