// Start-up time under the same Windows (or Wine) session: Varn.exe with the
// probe module set, from process start to its first mnuRun (reported by the
// probe) and to its exit when the menu quits at once, next to the whole run
// of a program that only opens a window and one that only runs the DirectX
// diagnostic query. Medians of several runs, in milliseconds.
//   bench_startup [RUNS]
#include "tests/host/probe/probe_game.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Build-tree paths as Windows sees them (under Wine the Linux root is Z:).
std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Wall time of one run of the program in the directory, or -1 on failure.
double TimedRun(const std::string& program, const std::string& directory) {
    std::string command = "\"" + program + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    double start = Now();
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &startup,
                        &process))
        return -1;
    bool ended = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
    double elapsed = Now() - start;
    if (!ended) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ended ? elapsed : -1;
}

double Median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A game directory with the probe under every module name; the menu quits at
// its first run and the probe notes how long after process start that was.
std::string MakeGameDirectory() {
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    std::string game = std::string(temp) + "varn_bench_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(game.c_str(), nullptr);
    probe::PlaceProbeModules(game, WindowsPath(HOST_PROBE_DLL));
    std::ofstream(game + "\\Probe.ini") << "[MNU]\nRun=1\nTiming=1\n";
    return game;
}

// The probe's "MNU first run after N ms" line of the latest run.
double FirstMenuRun(const std::string& game) {
    std::ifstream journal(game + "\\ProbeJournal.txt");
    std::string line;
    double found = -1;
    const std::string prefix = "MNU first run after ";
    while (std::getline(journal, line)) {
        if (line.compare(0, prefix.size(), prefix) == 0) found = atof(line.c_str() + prefix.size());
    }
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    std::string game = MakeGameDirectory();
    std::vector<double> window, query, varn, firstMenu;
    for (int i = 0; i < runs; ++i) {
        window.push_back(TimedRun(WindowsPath(BENCH_WINDOW_EXE), game));
        query.push_back(TimedRun(WindowsPath(BENCH_DXDIAG_EXE), game));
        DeleteFileA((game + "\\ProbeJournal.txt").c_str());
        varn.push_back(TimedRun(WindowsPath(VARN_EXE), game));
        firstMenu.push_back(FirstMenuRun(game));
    }
    printf("median of %d runs, ms\n", runs);
    printf("  window program, whole run            %8.1f\n", Median(window));
    printf("  DirectX diagnostic query, whole run  %8.1f\n", Median(query));
    printf("  Varn with probes, start to mnuRun    %8.1f\n", Median(firstMenu));
    printf("  Varn with probes, whole run          %8.1f\n", Median(varn));
    printf("  Varn start to mnuRun - (window + query) %+8.1f\n", Median(firstMenu) - Median(window) - Median(query));
    return 0;
}
