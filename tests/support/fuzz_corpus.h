// Replays a fuzz target's seed corpus (fuzz/TARGET/corpus) through the target's
// entry function, so that every seed keeps passing in the ordinary test run.
#pragma once

#include "tests/support/tool_run.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

namespace testsupport {

// Feeds every seed to `entry`, which answers "" when each of its promises held;
// returns the number of seeds.
template <typename Entry>
int ReplayCorpus(const char* target, Entry entry) {
    const std::string dir = SystemSidePath(std::string(VARN_TEST_SOURCE_DIR) + "/fuzz/" + target + "/corpus");
    int seeds = 0;
    for (const auto& file : std::filesystem::directory_iterator(dir)) {
        if (!file.is_regular_file()) continue;
        const std::string bytes = ReadWholeFile(file.path().string());
        EXPECT_EQ("", entry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()))
            << file.path().filename().string();
        ++seeds;
    }
    return seeds;
}

}  // namespace testsupport
