// The fuzz target's seed corpus, fed through the same entry function: every
// seed loads, saves and reads back without a fault.
#include "fuzz/ini/ini_fuzz_entry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string CorpusDir() {
    std::string path = std::string(VARN_TEST_SOURCE_DIR) + "/fuzz/ini/corpus";
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') path = "Z:" + path;  // the Unix root under Wine
#endif
    return path;
}

TEST(IniCorpus, EverySeedLoadsSavesAndReadsBack) {
    std::vector<std::filesystem::path> seeds;
    for (const auto& entry : std::filesystem::directory_iterator(CorpusDir())) {
        if (entry.is_regular_file()) seeds.push_back(entry.path());
    }
    ASSERT_GE(seeds.size(), 8u);
    for (const auto& seed : seeds) {
        std::ifstream in(seed, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string problem = FuzzIniLoad(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        EXPECT_EQ(problem, "") << seed.filename().string();
    }
}

}  // namespace
