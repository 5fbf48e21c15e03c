// Start-up to the main window shown, or a bare Qt window for comparison.
// The caller puts the time just before it started this process into
// STANZABOX_BENCH_T0 (nanoseconds, CLOCK_REALTIME); the program prints the
// time from then to the window shown, and the peak resident memory.
//
// Usage: bench_startup bare
//        bench_startup program WINE_PREFIX
// Without STANZABOX_BENCH_T0 the window stays until the process is ended,
// for timing from the outside (bench_blackbox).

#include "desktop/DesktopPlatform.h"
#include "mainwindow/frmMain.h"
#include "startup/Main.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget *shown = nullptr;
    QWidget bare;
    std::unique_ptr<DesktopPlatform> platform;
    std::unique_ptr<Main> program;
    if (argc == 2 && std::strcmp(argv[1], "bare") == 0) {
        bare.resize(800, 567);
        bare.show();
        shown = &bare;
    } else if (argc == 3 && std::strcmp(argv[1], "program") == 0) {
        platform = std::make_unique<DesktopPlatform>(WinePrefix(QString::fromLocal8Bit(argv[2])));
        program = std::make_unique<Main>(*platform);
        program->run();
        shown = program->mainWindow();
    } else {
        std::fprintf(stderr, "usage: %s bare | program WINE_PREFIX\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("STANZABOX_BENCH_T0"))
        return app.exec();
    if (!QTest::qWaitForWindowExposed(shown))
        return 1;
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    const long long started = qEnvironmentVariable("STANZABOX_BENCH_T0").toLongLong();
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    std::printf("shown_ms %.1f\npeak_rss_mb %.1f\n", (now.tv_sec * 1000000000LL + now.tv_nsec - started) / 1e6,
                usage.ru_maxrss / 1024.0);
    std::fflush(stdout);
    // Tearing the library down is no part of starting up.
    _exit(0);
}
