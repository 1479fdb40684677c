// libFuzzer target: arbitrary bytes as datagrams reaching a hosting side and
// as answers reaching a joining side.
#include "fuzz/net/net_fuzz_entry.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string problem = FuzzNetDatagrams(data, size);
    if (!problem.empty()) {
        fprintf(stderr, "%s\n", problem.c_str());
        abort();
    }
    return 0;
}
