// Benchmark of a configuration load as a user meets it: a whole process that
// loads a generated file and answers one key, "varnini get" against a small C
// program doing the same with inih, run alternately, median of several runs.
// Two file sizes show how the time grows with the number of sections and keys.
// Both the wall time and the processor time (user + system, from the child's
// resource usage) are given: on a shared machine the wall time mostly measures
// the wait for a processor.
//   bench_ini_process [RUNS]
#include "bench/ini/generated_ini.h"
#include "bench/support/process_timing.h"
#include "tests/support/scratch_dir.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using benchsupport::Median;
using benchsupport::RunTimed;
using benchsupport::Times;

// The name of the last section in text and of its first key.
bool LastSectionAndKey(const std::string& text, std::string* section, std::string* key) {
    const size_t open = text.rfind("\r\n[");
    if (open == std::string::npos) return false;
    const size_t close = text.find(']', open);
    const size_t keyStart = text.find("\r\n", close) + 2;
    const size_t equals = text.find('=', keyStart);
    if (close == std::string::npos || equals == std::string::npos) return false;
    *section = text.substr(open + 3, close - open - 3);
    *key = text.substr(keyStart, equals - keyStart);
    while (!key->empty() && key->back() == ' ') key->pop_back();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    testsupport::ScratchDir dir;
    if (!dir.Made()) {
        fprintf(stderr, "bench_ini_process: no scratch directory\n");
        return 1;
    }
    double perMegabyte[2] = {0, 0};
    const size_t sizes[2] = {8u << 20, 32u << 20};
    for (int s = 0; s < 2; ++s) {
        int sections = 0;
        int keys = 0;
        const std::string text = GenerateFile(sizes[s], &sections, &keys);
        std::string section;
        std::string key;
        const std::string file = testsupport::HostPath(dir.Path()).string() + "/big.ini";
        if (!dir.Write("big.ini", text) || !LastSectionAndKey(text, &section, &key)) {
            fprintf(stderr, "bench_ini_process: cannot write the input\n");
            return 1;
        }
        const std::vector<std::string> ours = {VARNINI_PATH, "get", file, section, key};
        const std::vector<std::string> theirs = {INIH_GET_PATH, file, section, key};
        std::vector<double> ourWall, ourProcessor, theirWall, theirProcessor;
        std::string ourAnswer;
        std::string theirAnswer;
        for (int run = 0; run < runs; ++run) {
            const Times our = RunTimed(ours, &ourAnswer);
            const Times their = RunTimed(theirs, &theirAnswer);
            if (our.wall < 0 || their.wall < 0 || ourAnswer != theirAnswer || ourAnswer.empty()) {
                fprintf(stderr, "bench_ini_process: the programs failed or disagree: '%s' against '%s'\n",
                        ourAnswer.c_str(), theirAnswer.c_str());
                return 1;
            }
            ourWall.push_back(our.wall);
            ourProcessor.push_back(our.processor);
            theirWall.push_back(their.wall);
            theirProcessor.push_back(their.processor);
        }
        const double megabytes = static_cast<double>(text.size()) / (1024.0 * 1024.0);
        perMegabyte[s] = Median(ourProcessor) / megabytes;
        printf("%.1f MB, %d sections, %d keys, [%s] %s, %d runs each (medians)\n", megabytes, sections, keys,
               section.c_str(), key.c_str(), runs);
        printf("  varnini get:  wall %.3f s, processor %.3f s\n", Median(ourWall), Median(ourProcessor));
        printf("  inih program: wall %.3f s, processor %.3f s\n", Median(theirWall), Median(theirProcessor));
        printf("  varnini / inih: wall %.2f, processor %.2f (goal at most 0.33)\n", Median(ourWall) / Median(theirWall),
               Median(ourProcessor) / Median(theirProcessor));
    }
    printf("processor time per MB, 32 MB against 8 MB: %.2f (1.0 is linear)\n", perMegabyte[1] / perMegabyte[0]);
    return 0;
}
