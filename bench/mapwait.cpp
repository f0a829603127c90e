// SPDX-License-Identifier: MIT
// Starts a program and reports how long it took until its first top-level
// window was mapped, with the program's peak resident memory at that moment;
// then how long until something was first drawn on the screen after that (the
// window's first paint), with the peak memory then and the processor time
// used by then, all its threads together: on a busy machine the times grow
// with the waiting, the processor time much less.
// A window is mapped once the program has laid it out; a program may leave
// its text, and the fonts that draw it, until after the map, so the first
// paint is the moment the user sees the window.
// Needs an X server without a window manager, so that windows are mapped as
// direct children of the root window, and nothing else drawing on it.
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

long PeakResidentKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

bool Ended(pid_t pid)
{
    siginfo_t info {};
    return waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
}

// Waits for the first event `wanted` takes; false if the program ended first
// or none came within 10 s, so that a program that fails to start does not
// hold the benchmark up.
template <class Wanted>
bool WaitFor(Display* display, pid_t child, Wanted wanted)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    pollfd x {ConnectionNumber(display), POLLIN, 0};
    for (;;) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (wanted(event))
                return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (Ended(child) || left.count() <= 0)
            return false;
        poll(&x, 1, int(std::min<long>(left.count(), 50)));
    }
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: mapwait PROGRAM [ARG...]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "mapwait: cannot open the display\n");
        return 2;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    int damageEvent = 0;
    int damageError = 0;
    if (!XDamageQueryExtension(display, &damageEvent, &damageError)) {
        std::fprintf(stderr, "mapwait: the X server has no DAMAGE extension\n");
        return 2;
    }
    const Damage damage = XDamageCreate(display, DefaultRootWindow(display), XDamageReportNonEmpty);
    XSync(display, False);

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        close(ConnectionNumber(display));
        execvp(argv[1], argv + 1);
        std::perror("mapwait: exec");
        _exit(127);
    }

    // Override-redirect windows are popups and tooltips, not windows.
    const bool mappedInTime = WaitFor(display, child,
        [](const XEvent& event) { return event.type == MapNotify && !event.xmap.override_redirect; });
    const auto mapped = std::chrono::steady_clock::now();
    const long peak = PeakResidentKiB(child);

    // Mapping draws nothing by itself: Qt's windows have no background the
    // server would fill. What shows next is the program's first paint.
    XDamageSubtract(display, damage, None, None);
    const bool painted = mappedInTime
        && WaitFor(display, child, [damageEvent](const XEvent& event) { return event.type == damageEvent + XDamageNotify; });
    const auto drawn = std::chrono::steady_clock::now();
    const long peakDrawn = PeakResidentKiB(child);
    const bool ended = Ended(child);
    kill(child, SIGKILL);
    rusage used {};
    wait4(child, nullptr, 0, &used);
    if (!painted) {
        const char* what = !mappedInTime ? "showed no window" : "drew nothing in its window";
        if (ended)
            std::fprintf(stderr, "mapwait: %s ended and %s\n", argv[1], what);
        else
            std::fprintf(stderr, "mapwait: %s %s within 10 s\n", argv[1], what);
        return 1;
    }

    const auto ms = [&start](auto moment) { return std::chrono::duration<double, std::milli>(moment - start).count(); };
    const double cpu = (used.ru_utime.tv_sec + used.ru_stime.tv_sec) * 1e3
        + (used.ru_utime.tv_usec + used.ru_stime.tv_usec) / 1e3;
    std::printf("%.1f %ld %.1f %ld %.1f\n", ms(mapped), peak, ms(drawn), peakDrawn, cpu);
    return peak < 0 || peakDrawn < 0 ? 1 : 0;
}
