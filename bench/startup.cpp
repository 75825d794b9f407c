// Start-up time (process start to the main window's first paint) and peak
// memory of zpltest against a minimal Qt Widgets program, both under the
// offscreen platform, taken in turns in one run.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int Runs = 31;

struct Sample
{
    double ms = 0;
    long peakKiB = 0;
};

// Starts `program`, waits for its "painted" line and its exit.
bool measure(const char *program, Sample &sample)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return false;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDERR_FILENO); // Qt's notes on the offscreen platform
        close(pipeFds[0]);
        close(pipeFds[1]);
        execl(program, program, static_cast<char *>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    std::string out;
    char buffer[256];
    ssize_t n;
    while (out.find("painted") == std::string::npos && (n = read(pipeFds[0], buffer, sizeof buffer)) > 0)
        out.append(buffer, std::size_t(n));
    const auto painted = std::chrono::steady_clock::now();
    close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    sample.ms = std::chrono::duration<double, std::milli>(painted - start).count();
    sample.peakKiB = usage.ru_maxrss;
    return out.find("painted") != std::string::npos && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

template <typename T>
T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main()
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::vector<double> appMs, minimalMs;
    std::vector<long> appKiB, minimalKiB;
    for (int i = 0; i < Runs; ++i) {
        Sample app, minimal;
        if (!measure(STARTUP_ZPLTEST, app) || !measure(STARTUP_MINIMAL, minimal)) {
            std::fprintf(stderr, "a program did not start and paint\n");
            return 1;
        }
        appMs.push_back(app.ms);
        minimalMs.push_back(minimal.ms);
        appKiB.push_back(app.peakKiB);
        minimalKiB.push_back(minimal.peakKiB);
    }
    const double a = median(appMs), m = median(minimalMs);
    const long ak = median(appKiB), mk = median(minimalKiB);
    std::printf("runs: %d each, offscreen, medians\n", Runs);
    std::printf("start to first paint: zpltest %.1f ms, minimal %.1f ms, ratio %.2f (goal <= 1.5)\n", a, m, a / m);
    std::printf("peak memory:          zpltest %ld KiB, minimal %ld KiB, ratio %.2f (goal <= 1.3)\n", ak, mk,
                double(ak) / double(mk));
    return 0;
}
