// libFuzzer target: arbitrary bytes as a configuration file and as an
// included file, loaded, saved and read back.
#include "fuzz/ini/ini_fuzz_entry.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string problem = FuzzIniLoad(data, size);
    if (!problem.empty()) {
        fprintf(stderr, "%s\n", problem.c_str());
        abort();
    }
    return 0;
}
