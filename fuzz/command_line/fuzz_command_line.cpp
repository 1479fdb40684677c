// libFuzzer target: arbitrary bytes as program arguments, as a command-line
// text and as a text with separators of its own.
#include "fuzz/command_line/command_line_fuzz_entry.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string problem = FuzzCommandLine(data, size);
    if (!problem.empty()) {
        fprintf(stderr, "%s\n", problem.c_str());
        abort();
    }
    return 0;
}
