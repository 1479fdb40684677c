// Whole-process checksum of a 256 MiB file in the page cache: "varncat crc"
// against small C programs that read the file and call libdeflate's and
// zlib's CRC-32, run in turn, pair by pair. Goal: varncat's processor time at
// most 1.1 times libdeflate's (median of the pairs' ratios).
//   bench_crc_process [PAIRS]
#include "bench/support/process_timing.h"
#include "tests/support/scratch_dir.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using benchsupport::Median;
using benchsupport::RunTimed;
using benchsupport::Times;

struct Program {
    const char* title;
    std::vector<std::string> command;
    std::vector<double> wall, processor;
};

// 256 MiB that no compressor or predictor finds regular.
bool WriteInput(const std::string& path) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    std::vector<uint32_t> block(1 << 18);
    uint64_t state = 0x9E3779B97F4A7C15ull;
    bool ok = true;
    for (int i = 0; ok && i < 256; ++i) {
        for (uint32_t& word : block) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            word = static_cast<uint32_t>(state);
        }
        ok = fwrite(block.data(), sizeof block[0], block.size(), file) == block.size();
    }
    return fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    const int pairs = argc > 1 && atoi(argv[1]) > 0 ? atoi(argv[1]) : 15;
    testsupport::ScratchDir dir;
    const std::string file = testsupport::HostPath(dir.Path()).string() + "/crc.bin";
    if (!dir.Made() || !WriteInput(file)) {
        fprintf(stderr, "bench_crc_process: cannot write the input\n");
        return 1;
    }
    std::vector<Program> programs = {{"varncat crc", {VARNCAT_PATH, "crc", file}, {}, {}},
                                     {"libdeflate program", {CRC_LIBDEFLATE_PATH, file}, {}, {}},
                                     {"zlib program", {CRC_ZLIB_PATH, file}, {}, {}}};
    std::vector<double> ratios;  // varncat / libdeflate, processor time, pair by pair
    std::string answers[3];
    for (int run = -1; run < pairs; ++run) {  // run -1 brings the file into the page cache
        for (size_t p = 0; p < programs.size(); ++p) {
            // The order turns from run to run, so that none always comes first.
            const size_t which = (p + static_cast<size_t>(run + 1)) % programs.size();
            const Times times = RunTimed(programs[which].command, &answers[which]);
            if (times.wall < 0) {
                fprintf(stderr, "bench_crc_process: %s failed\n", programs[which].title);
                return 1;
            }
            if (run < 0) continue;
            programs[which].wall.push_back(times.wall);
            programs[which].processor.push_back(times.processor);
        }
        if (answers[0].size() != 9 || answers[0] != answers[1] || answers[0] != answers[2]) {
            fprintf(stderr, "bench_crc_process: the checksums disagree: %s %s %s\n", answers[0].c_str(),
                    answers[1].c_str(), answers[2].c_str());
            return 1;
        }
        if (run >= 0) ratios.push_back(programs[0].processor.back() / programs[1].processor.back());
    }
    printf("CRC-32 of a 256 MiB file in the page cache, whole processes, %d runs each (medians):\n", pairs);
    for (const Program& program : programs) {
        printf("  %-20s processor %.3f s (min %.3f)   wall %.3f s\n", program.title, Median(program.processor),
               *std::min_element(program.processor.begin(), program.processor.end()), Median(program.wall));
    }
    const double ratio = Median(ratios);
    printf("varncat / libdeflate program, processor time, median of the pairs: %.2f (goal at most 1.10: %s)\n", ratio,
           ratio <= 1.10 ? "met" : "NOT met");
    return ratio <= 1.10 ? 0 : 1;
}
