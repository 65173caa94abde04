#include "bench/analysis/measure.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace vz::bench {

namespace {

using Clock = std::chrono::steady_clock;

double seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

}  // namespace

// Runs `work` in a child process; its wall time and counts come back through
// a pipe, its processor time and peak memory from the kernel.
Measure inChild(const std::function<Counts()>& work) {
    int fds[2];
    if (::pipe(fds) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const auto t0 = Clock::now();
        std::array<double, 7> out{};
        bool ok = true;
        try {
            const Counts counts = work();
            std::copy(counts.begin(), counts.end(), out.begin() + 1);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            ok = false;
        }
        out[0] = std::chrono::duration<double>(Clock::now() - t0).count();
        const ssize_t written = ::write(fds[1], out.data(), sizeof out);
        ::_exit(written == sizeof out && ok ? 0 : 1);
    }
    ::close(fds[1]);
    std::array<double, 7> in{};
    const ssize_t got = ::read(fds[0], in.data(), sizeof in);
    ::close(fds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    if (got != sizeof in || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "the measured run failed\n");
        std::exit(1);
    }
    Measure m{in[0], seconds(usage.ru_utime) + seconds(usage.ru_stime), usage.ru_maxrss, {}};
    std::copy(in.begin() + 1, in.end(), m.counts.begin());
    return m;
}

Measure best(int reps, const std::function<Counts()>& work) {
    Measure b;
    b.wall = 1e30;
    b.processor = 1e30;
    for (int r = 0; r < reps; ++r) {
        const Measure m = inChild(work);
        b.wall = std::min(b.wall, m.wall);
        b.processor = std::min(b.processor, m.processor);
        b.peakKb = std::max(b.peakKb, m.peakKb);
        b.counts = m.counts;
    }
    return b;
}

}  // namespace vz::bench
