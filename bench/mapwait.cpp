// SPDX-License-Identifier: MIT
// Starts a program and reports how long it took until its first top-level
// window was mapped, with the program's peak resident memory at that moment
// and the processor time it had used by then, all its threads together: on a
// busy machine the time to the window grows with the waiting, the processor
// time much less.
// Needs an X server without a window manager, so that windows are mapped as
// direct children of the root window.
#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
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
    XSync(display, False);

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        close(ConnectionNumber(display));
        execvp(argv[1], argv + 1);
        std::perror("mapwait: exec");
        _exit(127);
    }

    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        // Override-redirect windows are popups and tooltips, not windows.
        if (event.type == MapNotify && !event.xmap.override_redirect)
            break;
    }
    const auto mapped = std::chrono::steady_clock::now();
    const long peak = PeakResidentKiB(child);
    kill(child, SIGKILL);
    rusage used {};
    wait4(child, nullptr, 0, &used);

    const double ms = std::chrono::duration<double, std::milli>(mapped - start).count();
    const double cpu = (used.ru_utime.tv_sec + used.ru_stime.tv_sec) * 1e3
        + (used.ru_utime.tv_usec + used.ru_stime.tv_usec) / 1e3;
    std::printf("%.1f %ld %.1f\n", ms, peak, cpu);
    return peak < 0 ? 1 : 0;
}
