// The fuzz target's seed corpus, fed through the same entry function.
#include "fuzz/text_values/text_values_fuzz_entry.h"
#include "tests/support/tool_run.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(TextValuesCorpus, EverySeedReadsWritesAndReadsBack) {
    int seeds = 0;
    const std::string dir = testsupport::SystemSidePath(std::string(VARN_TEST_SOURCE_DIR) + "/fuzz/text_values/corpus");
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string bytes = testsupport::ReadWholeFile(entry.path().string());
        EXPECT_EQ("", FuzzTextValues(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()))
            << entry.path().filename().string();
        ++seeds;
    }
    EXPECT_GE(seeds, 8);
}
