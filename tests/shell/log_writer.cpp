// Writes LINES log lines from each of THREADS threads to the log file named in
// the environment, as a module's copy of the log entry points does:
//   log_writer TAG THREADS LINES
// Each line is "info: TAG thread N line M" padded to about 200 bytes.
#include "shell_base/log.h"

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    LogReadFileFromEnvironment();
    if (!*LogGetFile()) return 3;
    const std::string tag = argv[1];
    const int threads = atoi(argv[2]), lines = atoi(argv[3]);
    const std::string padding(160, '.');
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            for (int m = 0; m < lines; ++m) LogInfo("%s thread %d line %d %s", tag.c_str(), t, m, padding.c_str());
        });
    for (auto& worker : workers) worker.join();
    return 0;
}
