// Replays the catalog fuzz target's seed corpus through its entry function, so
// that every seed keeps passing in the ordinary test run.
#include "fuzz/catalog/catalog_fuzz_entry.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void Collect(const char* name, void* context) { static_cast<std::vector<std::string>*>(context)->push_back(name); }

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    int fd = plat::FileOpenRead(path.c_str(), plat::AccessHint::Sequential);
    if (fd < 0) return bytes;
    uint8_t buffer[4096];
    int got;
    while ((got = plat::FileRead(fd, buffer, sizeof buffer)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
    plat::FileClose(fd);
    return bytes;
}

}  // namespace

TEST(CatalogFuzzCorpus, EverySeedPassesTheFuzzEntry) {
    const std::string corpus = std::string(VARN_TEST_SOURCE_DIR) + "/fuzz/catalog/corpus";
    std::vector<std::string> names;
    plat::DirListFiles((corpus + "/*.*").c_str(), Collect, &names);
    ASSERT_GE(names.size(), 10u);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        std::vector<uint8_t> bytes = ReadBytes(corpus + "/" + name);
        ASSERT_FALSE(bytes.empty());
        FuzzCatalogBytes(bytes.data(), bytes.size());  // aborts on a broken promise
    }
}
