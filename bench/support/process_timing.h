// Whole-process timing for the benchmarks that compare programs: runs one
// command, collects its standard output, and measures its wall time and the
// processor time the kernel charged to it (user + system). On a shared machine
// the wall time mostly measures the wait for a processor; the processor time
// is the figure to compare.
#pragma once

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace benchsupport {

struct Times {
    double wall;       // seconds; negative when the program could not run or failed
    double processor;  // seconds
};

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs the program (command[0] is its path), its standard output into output.
inline Times RunTimed(const std::vector<std::string>& command, std::string* output) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::vector<char*> argv;
    for (const std::string& part : command) argv.push_back(const_cast<char*>(part.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    output->clear();
    char buffer[256];
    ssize_t got;
    while (spawned == 0 && (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0) output->append(buffer, got);
    close(pipeEnds[0]);
    if (spawned != 0) return {-1, -1};
    int status = 0;
    struct rusage usage = {};
    wait4(child, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double processor = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                             static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {-1, -1};
    return {seconds, processor};
}

}  // namespace benchsupport
