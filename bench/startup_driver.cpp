// SPDX-License-Identifier: GPL-3.0-or-later
// Starts the program's window and the baseline window one after the other,
// many times, under the offscreen platform and under Xvfb, and compares:
// time from process start to the first frame, CPU time, peak memory, and
// the instruction count under callgrind.
//   startup_driver WINDOW BASELINE [RUNS]
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Sample {
    double milliseconds;  // process start to first frame
    double cpuMilliseconds;
    double peakMiB;
};

std::vector<char*> Argv(std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    return argv;
}

// Runs a command; its standard output (and, if asked, its standard error)
// goes to a pipe read by the caller.
pid_t Spawn(std::vector<std::string> args, int& readEnd, bool withStderr) {
    int fds[2];
    if (pipe(fds) != 0) std::exit(1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], withStderr ? 2 : 1);
    if (!withStderr)
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    else
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    pid_t pid = 0;
    auto argv = Argv(args);
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    readEnd = fds[0];
    return pid;
}

Sample Measure(const std::string& program) {
    int out = -1;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = Spawn({program}, out, false);
    std::string seen;
    char buffer[64];
    std::optional<std::chrono::steady_clock::time_point> frame;
    ssize_t n;
    while ((n = read(out, buffer, sizeof buffer)) > 0) {
        seen.append(buffer, n);
        if (!frame && seen.find("frame\n") != std::string::npos)
            frame = std::chrono::steady_clock::now();
    }
    close(out);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!frame || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s did not reach its first frame\n", program.c_str());
        std::exit(1);
    }
    const auto cpu = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return {std::chrono::duration<double, std::milli>(*frame - start).count(),
            cpu(usage.ru_utime) + cpu(usage.ru_stime), usage.ru_maxrss / 1024.0};
}

double Instructions(const std::string& program) {
    int err = -1;
    const pid_t pid =
        Spawn({"/usr/bin/valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null", program},
              err, true);
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(err, buffer, sizeof buffer)) > 0) text.append(buffer, n);
    close(err);
    int status = 0;
    waitpid(pid, &status, 0);
    // The program's own count: a process it forks reports one of its own.
    const std::string marker = "==" + std::to_string(pid) + "== Collected : ";
    const auto at = text.find(marker);
    if (at == std::string::npos || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fputs(text.c_str(), stderr);
        std::fprintf(stderr, "callgrind gave no count for %s\n", program.c_str());
        std::exit(1);
    }
    return std::strtod(text.c_str() + at + marker.size(), nullptr);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void Compare(const char* platform, const std::string& window, const std::string& baseline,
             int runs) {
    Measure(window);  // warm the caches, fonts and all
    Measure(baseline);
    std::array<std::vector<Sample>, 2> samples;
    for (int i = 0; i < runs; ++i) {
        // Alternate which goes first, so neither always follows the other.
        if (i % 2 == 0) {
            samples[0].push_back(Measure(window));
            samples[1].push_back(Measure(baseline));
        } else {
            samples[1].push_back(Measure(baseline));
            samples[0].push_back(Measure(window));
        }
    }
    const auto median = [&](int which, double Sample::*field) {
        std::vector<double> v;
        for (const auto& s : samples[which]) v.push_back(s.*field);
        return Median(v);
    };
    const double instructionsWindow = Instructions(window);
    const double instructionsBaseline = Instructions(baseline);
    std::printf("%s, median of %d runs each:\n", platform, runs);
    std::printf("  %-26s %12s %12s %7s\n", "", "window", "baseline", "ratio");
    const auto row = [](const char* what, double w, double b, const char* format) {
        char ws[32], bs[32];
        std::snprintf(ws, sizeof ws, format, w);
        std::snprintf(bs, sizeof bs, format, b);
        std::printf("  %-26s %12s %12s %7.3f\n", what, ws, bs, w / b);
    };
    row("time to first frame (ms)", median(0, &Sample::milliseconds),
        median(1, &Sample::milliseconds), "%.1f");
    row("CPU time (ms)", median(0, &Sample::cpuMilliseconds), median(1, &Sample::cpuMilliseconds),
        "%.1f");
    row("peak memory (MiB)", median(0, &Sample::peakMiB), median(1, &Sample::peakMiB), "%.1f");
    row("instructions (millions)", instructionsWindow / 1e6, instructionsBaseline / 1e6, "%.1f");
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s WINDOW BASELINE [RUNS]\n", argv[0]);
        return 2;
    }
    const std::string window = argv[1], baseline = argv[2];
    const int runs = argc > 3 ? std::atoi(argv[3]) : 21;

    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    Compare("offscreen", window, baseline, runs);

    // A virtual X server of our own for the xcb platform.
    int display = -1;
    const pid_t xvfb = Spawn(
        {"/usr/bin/Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
        display, false);
    char number[16] = {};
    if (read(display, number, sizeof number - 1) <= 0) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    std::string name(1, ':');
    name.append(number, std::strcspn(number, "\n"));
    setenv("DISPLAY", name.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    Compare("xcb on Xvfb", window, baseline, runs);
    kill(xvfb, SIGTERM);
    waitpid(xvfb, nullptr, 0);
    return 0;
}
