// libFuzzer target: arbitrary text as compound values, read, written back and read again.
#include "fuzz/text_values/text_values_fuzz_entry.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string problem = FuzzTextValues(data, size);
    if (!problem.empty()) {
        fprintf(stderr, "%s\n", problem.c_str());
        abort();
    }
    return 0;
}
