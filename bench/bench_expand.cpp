// Opening an artist of 2,000 songs for the first time: the check of every
// song's filter mark. Writes the artist into FOLDER (lyrics of a few
// kilobytes; a third carry the mark, a fifth have timestamps), shows the
// main window on it offscreen and opens the artist, RUNS times, each on a
// freshly read tree. With "cold", the page cache is dropped before each
// opening (root only).
//
// Usage: bench_expand FOLDER RUNS [cold]
// Prints medians: "expand_ui_ms", the longest the window was kept busy at
// one stretch, and "expand_done_ms", until every picture was final.

#include "bench/BenchWindow.h"
#include "bench/Median.h"
#include "library/LibraryScan.h"
#include "library/LibraryTree.h"
#include "widgets/LibraryTreeModel.h"
#include "widgets/LibraryTreeView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kSongs = 2000;

// Verses of about 2.5 KB; the mark on the second line where the downloader
// puts it.
QByteArray lyricsText(int song, bool filtered)
{
    QByteArray text = "Big Artist - Song " + QByteArray::number(song) + "\r\n";
    if (filtered)
        text += "[Wordhive lyrics ] filter used\r\n";
    for (int line = 0; line < 60; ++line)
        text += "and the words of line " + QByteArray::number(line) + " go on a while\r\n";
    text += "\r\n* Downloaded from: http://www.lyrics.example/big/" + QByteArray::number(song) + ".html\r\n";
    return text;
}

// The number of songs the check is to mark as unfiltered.
int writeArtist(const QString &cache)
{
    const QString folder = cache + QStringLiteral("B/");
    QDir().mkpath(folder);
    int unfiltered = 0;
    for (int s = 0; s < kSongs; ++s) {
        const bool filtered = s % 3 == 0;
        const bool timed = s % 5 == 0;
        const QString base = folder + QStringLiteral("Big Artist - Song %1").arg(s, 4, 10, QLatin1Char('0'));
        QFile song(base + QStringLiteral(".txt"));
        if (!song.open(QIODevice::WriteOnly) || song.write(lyricsText(s, filtered)) < 0)
            return -1;
        if (timed) {
            QFile kas(base + QStringLiteral(".kas"));
            if (!kas.open(QIODevice::WriteOnly) || kas.write("FaV1@@C ;t\r\n") < 0)
                return -1;
        }
        unfiltered += !filtered && !timed;
    }
    return unfiltered;
}

bool dropPageCache()
{
    ::sync();
    QFile drop(QStringLiteral("/proc/sys/vm/drop_caches"));
    return drop.open(QIODevice::WriteOnly) && drop.write("3\n") == 2;
}

int countUnfiltered(const LibraryNode *artist)
{
    return int(std::count_if(artist->Children.begin(), artist->Children.end(), [](const LibraryNode *song) {
        return song->Image == NodeImage::UnfilteredSong;
    }));
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = benchRuns(argc, argv, "FOLDER RUNS [cold]");
    if (runs == 0)
        return 2;
    const bool cold = argc > 3 && QByteArray(argv[3]) == "cold";
    const QString cachePath = QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + QStringLiteral("/cache/");
    const int expected = writeArtist(cachePath);
    if (expected < 0)
        return 1;
    BenchWindow bench;
    if (!bench.open(cachePath))
        return 1;
    frmMain &form = bench.window();
    auto *view = form.findChild<LibraryTreeView *>(QStringLiteral("lista"));

    std::vector<double> uiTimes, doneTimes;
    for (int run = 0; run < runs; ++run) {
        // A fresh tree, as after F5: the check runs once per artist and tree.
        QTest::keyClick(view, Qt::Key_F5);
        QCoreApplication::processEvents();
        LibraryNode *artist = form.libraryTree().find(QStringLiteral("big artist"));
        if (!artist)
            return 1;
        if (cold && !dropPageCache()) {
            std::fprintf(stderr, "bench_expand: cannot drop the page cache\n");
            return 1;
        }
        QElapsedTimer total;
        total.start();
        QElapsedTimer stretch;
        stretch.start();
        view->expand(form.libraryModel().indexOf(artist));
        form.repaint();
        double longest = stretch.nsecsElapsed() / 1e6;
        while (countUnfiltered(artist) != expected && total.elapsed() < 30000) {
            stretch.restart();
            QCoreApplication::processEvents();
            longest = std::max(longest, stretch.nsecsElapsed() / 1e6);
            QThread::usleep(200);
        }
        if (countUnfiltered(artist) != expected) {
            std::fprintf(stderr, "bench_expand: %d songs marked, %d expected\n", countUnfiltered(artist), expected);
            return 1;
        }
        doneTimes.push_back(total.nsecsElapsed() / 1e6);
        uiTimes.push_back(longest);
    }
    std::printf("expand_ui_ms %.1f\nexpand_done_ms %.1f\n", median(uiTimes), median(doneTimes));
    return 0;
}
