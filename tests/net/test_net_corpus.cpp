// The datagram fuzz target's seed corpus, fed through the same entry function.
#include "fuzz/net/net_fuzz_entry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

TEST(NetCorpus, EverySeedPassesTheFuzzEntry) {
    std::string corpus = std::string(VARN_TEST_SOURCE_DIR) + "/fuzz/net/corpus";
#ifdef _WIN32
    if (!corpus.empty() && corpus[0] == '/') corpus = "Z:" + corpus;  // the Unix root under Wine
#endif
    int seeds = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(FuzzNetDatagrams(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), "")
            << entry.path().filename().string();
        ++seeds;
    }
    EXPECT_GE(seeds, 10);
}
