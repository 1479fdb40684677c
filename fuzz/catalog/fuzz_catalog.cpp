// libFuzzer target: arbitrary bytes opened as a catalog.
#include "fuzz/catalog/catalog_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzCatalogBytes(data, size);
    return 0;
}
