// Benchmark of configuration documents: loading a generated 4 MB file (about
// 10,000 sections and 145,000 keys) through the file manager, side by side with
// inih's ini_parse_string on the same bytes, and completing a fresh options
// file with every default and saving it. The process keeps the C library's
// allocator as it comes, as a program does. Times are the processor time of
// the process (what the work costs, the kernel's share, such as zeroing fresh
// pages, included), with the wall time beside it: on a shared machine the wall
// time also holds the waits for a processor. One run is one process: run it
// ten times to see the spread between runs.
#include "bench/ini/generated_ini.h"
#include "core/memory_manager.h"
#include "core/options_file.h"
#include "host/default_options.h"
#include "ini/ini_file.h"
#include "platform/platform.h"
#include "tests/ini/bound_file_manager.h"
#include "tests/support/scratch_dir.h"

#ifdef VARN_HAVE_INIH
#include <ini.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double WallMilliseconds() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Milliseconds since it was made: processor time of the process, and wall time.
struct Stopwatch {
    double processor = plat::ProcessorSeconds() * 1e3;
    double wall = WallMilliseconds();
    double Processor() const { return plat::ProcessorSeconds() * 1e3 - processor; }
    double Wall() const { return WallMilliseconds() - wall; }
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

#ifdef VARN_HAVE_INIH
int CountKey(void* user, const char*, const char*, const char*) {
    ++*static_cast<long*>(user);
    return 1;
}
#endif

}  // namespace

int Run(testsupport::ScratchDir& dir, int rounds);

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 9;
    testsupport::ScratchDir dir;
    if (!dir.Made() || !plat::DirChange(dir.Path())) {
        fprintf(stderr, "bench_ini: no scratch directory\n");
        return 1;
    }
    // Memory comes from the shared heap, as in the host.
    if (!TheMemoryManager().Init()) {
        fprintf(stderr, "bench_ini: no heap\n");
        return 1;
    }
    int result = Run(dir, rounds);
    TheMemoryManager().Shutdown();
    return result;
}

int Run(testsupport::ScratchDir& dir, int rounds) {
    initest::BoundFileManager bound;

    int sections = 0;
    int keys = 0;
    const std::string text = GenerateFile(4u << 20, &sections, &keys);
    if (!dir.Write("big.ini", text)) {
        fprintf(stderr, "bench_ini: cannot write the input\n");
        return 1;
    }
    const double megabytes = static_cast<double>(text.size()) / (1024.0 * 1024.0);
    printf("input: %zu bytes, %d sections, %d keys, %d rounds\n", text.size(), sections, keys, rounds);

    std::vector<double> loads;
    std::vector<double> fullReads, fullReadsWall;
    std::vector<double> destroys;
    std::vector<double> inihTimes, inihWall;
    int loadedKeys = 0;
#ifdef VARN_HAVE_INIH
    long inihKeys = 0;
#endif
    for (int round = 0; round < rounds; ++round) {
        // Keys are made when a section is first looked into: the load is timed
        // alone and with every section's keys read, which is what inih does.
        Stopwatch watch;
        IniFile* ini = new IniFile("big.ini", 0, 0, IniFile::kDefaultExtra);
        loads.push_back(watch.Processor());
        loadedKeys = 0;
        ini->RewindSections();
        for (IniSection* section = ini->CurrentSection(); section; ini->NextSection(), section = ini->CurrentSection())
            loadedKeys += section->KeyCount();
        fullReads.push_back(watch.Processor());
        fullReadsWall.push_back(watch.Wall());
        if (ini->NotLoaded() || ini->SectionCount() != sections || loadedKeys != keys) {
            fprintf(stderr, "bench_ini: the document does not hold the input (%d sections, %d keys)\n",
                    ini->SectionCount(), loadedKeys);
            return 1;
        }
        Stopwatch destroy;
        delete ini;
        destroys.push_back(destroy.Processor());
#ifdef VARN_HAVE_INIH
        inihKeys = 0;
        Stopwatch inih;
        ini_parse_string(text.c_str(), CountKey, &inihKeys);
        inihTimes.push_back(inih.Processor());
        inihWall.push_back(inih.Wall());
#endif
    }
    printf("processor time of the process; wall time in brackets\n");
    printf("IniFile first load and every key read (fresh memory; page faults included): %.2f ms\n",
           fullReads.front());
    if (loads.size() > 1) loads.erase(loads.begin());
    if (fullReads.size() > 1) fullReads.erase(fullReads.begin());
    if (fullReadsWall.size() > 1) fullReadsWall.erase(fullReadsWall.begin());
    const double load = Median(loads);
    const double full = Median(fullReads);
    printf("IniFile load alone (file manager read, sections made), later rounds: median %.2f ms\n", load);
    printf("IniFile load and every key read, later rounds: median %.2f ms (%.2f), best %.2f ms, %.0f MB/s\n", full,
           Median(fullReadsWall), *std::min_element(fullReads.begin(), fullReads.end()), megabytes / (full / 1000.0));
    printf("IniFile destroy: median %.2f ms\n", Median(destroys));
#ifdef VARN_HAVE_INIH
    const double inih = Median(inihTimes);
    printf("inih ini_parse_string (in memory, counting handler): median %.2f ms (%.2f), best %.2f ms, %.0f MB/s, "
           "%ld keys\n",
           inih, Median(inihWall), *std::min_element(inihTimes.begin(), inihTimes.end()), megabytes / (inih / 1000.0),
           inihKeys);
    printf("throughput ratio IniFile (every key read) / inih: %.2fx (wall %.2fx; goal at least 2x)\n", inih / full,
           Median(inihWall) / Median(fullReadsWall));
#else
    printf("inih: not available in this build\n");
#endif

    // A first start: a fresh options file completed with every default and saved.
    std::vector<double> defaults;
    for (int round = 0; round < rounds * 5; ++round) {
        plat::FileDelete("Options.ini");
        OptionIniFile options;
        options.Initialize();
        Stopwatch watch;
        options.optOpen("Options.ini");
        IniFile* document = nullptr;
        options.optGetIniFile(&document);
        const int saved = WriteDefaultOptions(document);
        defaults.push_back(watch.Processor());
        options.optReleaseIniFile(&document);
        options.Shutdown();
        if (!saved) {
            fprintf(stderr, "bench_ini: the options file was not saved\n");
            return 1;
        }
    }
    printf("fresh options file completed with every default and saved: median %.3f ms, best %.3f ms\n",
           Median(defaults), *std::min_element(defaults.begin(), defaults.end()));
    return 0;
}
