// Times a program from the outside: from just before it is started to the
// first time anything is drawn on the X screen (its window painted), or to
// its exit. Nothing in the program is asked; the X server's DAMAGE extension
// reports the drawing. Run it on an X server of its own (xvfb-run), where
// nothing else draws.
//
// Usage: bench_blackbox paint [--hold MS] PROGRAM [ARGUMENTS...]
//        bench_blackbox exit PROGRAM [ARGUMENTS...]
// Prints "ms" and, for paint, the program's peak resident memory (VmHWM) as
// the kernel counts it: "paint_rss_mb" at the paint, "peak_rss_mb" when it
// is ended, MS after it was started (default: 300 ms after the paint), and
// "peak_at_ms", when that peak was last raised (looked at every 20 ms).

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <time.h>
#include <unistd.h>

namespace {

double nowMs()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

pid_t start(char **argv)
{
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[0], argv);
        std::perror(argv[0]);
        _exit(127);
    }
    return pid;
}

// The peak resident set so far, in MB, as the kernel counts it.
double peakRssMb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atof(line.c_str() + 6) / 1024.0;
    }
    return -1;
}

int timeToExit(char **argv)
{
    const double t0 = nowMs();
    const pid_t pid = start(argv);
    int status = 0;
    if (waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return 1;
    std::printf("ms %.1f\n", nowMs() - t0);
    return 0;
}

// Lets the program run until deadline (ms on nowMs's clock), watching its
// peak; returns the time from t0 the peak was last raised.
double watchPeak(pid_t pid, double t0, double deadline)
{
    double peak = peakRssMb(pid);
    double at = nowMs() - t0;
    while (nowMs() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            break;
        const double now = peakRssMb(pid);
        if (now > peak) {
            peak = now;
            at = nowMs() - t0;
        }
    }
    return at;
}

int timeToPaint(char **argv)
{
    double holdMs = -1;
    if (argv[0] && std::strcmp(argv[0], "--hold") == 0 && argv[1] && argv[2]) {
        holdMs = std::atof(argv[1]);
        argv += 2;
    }
    xcb_connection_t *x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "bench_blackbox: no X display\n");
        return 1;
    }
    const xcb_query_extension_reply_t *damage = xcb_get_extension_data(x, &xcb_damage_id);
    if (!damage || !damage->present) {
        std::fprintf(stderr, "bench_blackbox: the X server has no DAMAGE extension\n");
        return 1;
    }
    free(xcb_damage_query_version_reply(x, xcb_damage_query_version(x, 1, 1), nullptr));
    // Damage on the root window covers whatever is drawn in any window on
    // it: nothing else runs on this server, so the first report is the
    // program's first paint. Set up before the program starts: no race.
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const xcb_damage_damage_t watch = xcb_generate_id(x);
    xcb_damage_create(x, watch, root, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
    // The new damage object starts out covering the whole screen: clear it,
    // and let the report of that pass, before the program starts.
    free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
    xcb_damage_subtract(x, watch, XCB_NONE, XCB_NONE);
    free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
    while (xcb_generic_event_t *stale = xcb_poll_for_event(x))
        free(stale);

    const double t0 = nowMs();
    const pid_t pid = start(argv);
    double painted = -1;
    pollfd fd{xcb_get_file_descriptor(x), POLLIN, 0};
    while (painted < 0) {
        xcb_generic_event_t *event = xcb_poll_for_event(x);
        if (!event) {
            if (xcb_connection_has_error(x) || nowMs() - t0 > 60000)
                break;
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                std::fprintf(stderr, "bench_blackbox: %s ended before it painted\n", argv[0]);
                return 1;
            }
            poll(&fd, 1, 50);
            continue;
        }
        // Mapping a window draws nothing (Qt gives its windows no
        // background): the first report is the program's own paint.
        if ((event->response_type & 0x7f) == damage->first_event + XCB_DAMAGE_NOTIFY)
            painted = nowMs();
        free(event);
    }
    if (painted < 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        std::fprintf(stderr, "bench_blackbox: no paint seen\n");
        return 1;
    }
    // What the program holds once it has settled after showing its window,
    // or all it took over a longer while (its background work included).
    const double atPaint = peakRssMb(pid);
    const double peakAt = watchPeak(pid, t0, holdMs < 0 ? painted + 300 : t0 + holdMs);
    const double rss = peakRssMb(pid);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    xcb_disconnect(x);
    if (rss < 0) {
        std::fprintf(stderr, "bench_blackbox: %s ended before it was measured\n", argv[0]);
        return 1;
    }
    std::printf("ms %.1f\npaint_rss_mb %.1f\npeak_rss_mb %.1f\npeak_at_ms %.0f\n", painted - t0, atPaint, rss,
                peakAt);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "paint") == 0)
        return timeToPaint(argv + 2);
    if (argc >= 3 && std::strcmp(argv[1], "exit") == 0)
        return timeToExit(argv + 2);
    std::fprintf(stderr, "usage: %s paint|exit PROGRAM [ARGUMENTS...]\n", argv[0]);
    return 2;
}
