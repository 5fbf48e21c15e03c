// One keystroke in the search box on a full library (the first letter), and
// one widening (the tree rebuilt from the snapshot, then filtered), with the
// tree view attached and shown, offscreen. With "indexing", the same while
// the window's lyrics index is built from nothing on its worker thread, as
// on the first start of the program.
//
// Usage: bench_filter CACHE_FOLDER RUNS [indexing]

#include "bench/BenchWindow.h"
#include "library/LibraryTree.h"
#include "lyricsindex/LyricsEngine.h"

#include <QApplication>
#include "bench/Median.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = benchRuns(argc, argv, "CACHE_FOLDER RUNS [indexing]");
    if (runs == 0)
        return 2;
    BenchWindow bench;
    if (!bench.open(QString::fromLocal8Bit(argv[1])))
        return 1;
    frmMain &form = bench.window();
    QTemporaryDir indexFolder;
    std::unique_ptr<LyricsEngine> engine;
    if (argc > 3 && QByteArray(argv[3]) == "indexing") {
        engine = std::make_unique<LyricsEngine>(indexFolder.path());
        form.setLyricsEngine(*engine);
        engine->setCachePath(bench.cachePath());
        QElapsedTimer waited;
        waited.start();
        while (engine->state() != LyricsEngine::State::Indexing && waited.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    auto *box = form.findChild<QLineEdit *>(QStringLiteral("txtSearch"));
    const int nodes = form.libraryTree().count();

    // The view lays its rows out and paints before the next event: count that too.
    auto settle = [&] {
        QCoreApplication::processEvents();
        form.repaint();
    };
    std::vector<double> keystrokes, widenings, keystrokeTrees, wideningTrees;
    for (int run = 0; run < runs; ++run) {
        box->clear();
        settle();
        QElapsedTimer timer;
        timer.start();
        box->setText(QStringLiteral("e"));
        keystrokeTrees.push_back(timer.nsecsElapsed() / 1e6);
        settle();
        keystrokes.push_back(timer.nsecsElapsed() / 1e6);

        box->setText(QStringLiteral("ka"));
        settle();
        timer.restart();
        box->setText(QStringLiteral("k"));
        wideningTrees.push_back(timer.nsecsElapsed() / 1e6);
        settle();
        widenings.push_back(timer.nsecsElapsed() / 1e6);
    }
    if (engine)
        std::printf("indexing_throughout %d\n", engine->state() == LyricsEngine::State::Indexing ? 1 : 0);
    // The whole keystroke, and the part before the window repaints.
    std::printf("nodes %d\nkeystroke_ms %.2f\nwidening_ms %.2f\nkeystroke_tree_ms %.2f\nwidening_tree_ms %.2f\n",
                nodes, median(keystrokes), median(widenings), median(keystrokeTrees), median(wideningTrees));
    return 0;
}
