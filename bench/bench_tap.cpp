// From a tap to its stamp: Space pressed in a karaoke row while the song
// plays through the real player (Qt Multimedia), until the row holds the
// song's position, and until the window has painted it. The song is a
// silent WAV file written here; run it with a null audio output
// (scripts/with-null-audio), as scripts/bench does.
//
// Usage: bench_tap FOLDER RUNS [ROWS]

#include "bench/BenchWindow.h"
#include "bench/Median.h"
#include "karaoke/KasFormat.h"
#include "mainwindow/clsKaraokeEdition.h"
#include "playback/SongPlayerModule.h"
#include "widgets/VeskTimePicker.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Silence, 8 kHz mono 16-bit, this many seconds.
QByteArray silentWav(int seconds)
{
    const quint32 data = quint32(seconds) * 8000 * 2;
    QByteArray wav("RIFF");
    auto add32 = [&wav](quint32 v) { wav.append(reinterpret_cast<const char *>(&(v = qToLittleEndian(v))), 4); };
    auto add16 = [&wav](quint16 v) { wav.append(reinterpret_cast<const char *>(&(v = qToLittleEndian(v))), 2); };
    add32(36 + data);
    wav += "WAVEfmt ";
    add32(16);
    add16(1);
    add16(1);
    add32(8000);
    add32(16000);
    add16(2);
    add16(16);
    wav += "data";
    add32(data);
    return wav + QByteArray(qsizetype(data), '\0');
}

// Counts the paints of a widget.
class Paints : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = benchRuns(argc, argv, "FOLDER RUNS [ROWS]");
    if (runs == 0)
        return 2;
    const int rows = argc > 3 ? std::max(2, std::atoi(argv[3])) : 100;
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QByteArray kas;
    for (int i = 0; i < rows; ++i)
        kas += EncodeStamp(i / 60 % 14, i % 60, 0) + "AB";
    const QString song = QStringLiteral("A/Able - Timed.txt");
    const QString music = folder.filePath(QStringLiteral("timed.wav"));
    if (!folder.mkpath(QStringLiteral("cache/A")) || !write(folder.filePath(QStringLiteral("cache/") + song), "la\r\n")
        || !write(folder.filePath(QStringLiteral("cache/A/Able - Timed.kas")), kas + ";\r\n")
        || !write(music, silentWav(600)))
        return 1;

    BenchWindow bench;
    if (!bench.open(folder.filePath(QStringLiteral("cache"))))
        return 1;
    frmMain &form = bench.window();
    form.setKaraokeMusic({[music](const QString &) { return MusicFile{music}; },
                          [] { return loadSongPlayer(nullptr); }});
    form.activateWindow();
    if (!QTest::qWaitForWindowActive(&form))
        return 1;
    form.openMatch(song, 0);
    form.findChild<QPushButton *>(QStringLiteral("cmdPlay"))->click();
    auto *player = form.findChild<SongPlayer *>(QStringLiteral("songPlayer"));
    if (!player || !QTest::qWaitFor([player] { return player->position() > 500; }, 20000)) {
        std::fprintf(stderr, "the song did not play\n");
        return 1;
    }
    clsKaraokeEdition &edition = form.karaokeEdition();
    QTest::mouseClick(edition.row(0)->findChild<QLabel *>(QStringLiteral("myLabel1")), Qt::LeftButton);

    // Each tap moves on to the next row; a new one comes past the last.
    std::vector<double> written, painted;
    int misses = 0;
    Paints paints;
    for (int run = 0; run < runs; ++run) {
        const int row = std::min(form.currentStamp(), edition.last());
        VeskTimePicker *picker = edition.row(row);
        picker->installEventFilter(&paints);
        paints.count = 0;
        QWidget *focus = QApplication::focusWidget();
        const qint64 before = player->position();
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(focus, Qt::Key_Space);
        written.push_back(timer.nsecsElapsed() / 1e6);
        const qint64 after = player->position();
        const int step = picker->Minute() * 300 + picker->Second() * 5 + picker->Frame() / 2;
        misses += step < before / 200 || step > after / 200 ? 1 : 0;
        while (paints.count == 0 && timer.elapsed() < 1000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        painted.push_back(timer.nsecsElapsed() / 1e6);
        picker->removeEventFilter(&paints);
    }
    auto p95 = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[std::min(v.size() - 1, v.size() * 95 / 100)];
    };
    std::printf("rows %d\ntaps %d\nmisses %d\ntap_written_ms %.3f\ntap_written_p95_ms %.3f\n"
                "tap_painted_ms %.3f\ntap_painted_p95_ms %.3f\ntap_painted_max_ms %.3f\n",
                rows, runs, misses, median(written), p95(written), median(painted), p95(painted),
                *std::max_element(painted.begin(), painted.end()));
    return 0;
}
