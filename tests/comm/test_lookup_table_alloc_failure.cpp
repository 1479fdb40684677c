// A look-up table without memory for its values: the one message of the
// text values, a false result and an empty table. The allocation function of
// the service access layer is wrapped at link time (-Wl,--wrap).
#include "comm/text_values.h"

#include "ini/ini_file.h"
#include "shell_base/log_capture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

extern "C" void* __real__Z10ShellAllocm(size_t size);

namespace {
size_t g_refuseFrom = SIZE_MAX;  // blocks of this size and above are refused
std::vector<std::string> g_errors;
}  // namespace

extern "C" void* __wrap__Z10ShellAllocm(size_t size) {
    return size >= g_refuseFrom ? nullptr : __real__Z10ShellAllocm(size);
}

TEST(LookupTableAllocFailure, ReportsTheSizeAndLeavesAnEmptyTable) {
    IniFile ini("", 0, 1, IniFile::kDefaultExtra);
    ini.SetInt("T", "XNumData", 1000);
    ini.SetFloat("T", "XDeltaX", 0.25f);
    LogSetCaptureSink([](LogSeverity severity, const char* text, void*) {
        if (severity == LogSeverity::Error) g_errors.push_back(text);
    }, nullptr);
    g_refuseFrom = 4000;
    LookupTable1D table;
    EXPECT_FALSE(ReadLookupTable1D(ini, "T", "X", &table));
    g_refuseFrom = SIZE_MAX;
    LogSetCaptureSink(nullptr, nullptr);
    EXPECT_EQ(std::vector<std::string>{"Unable to allocate memory for 1-D look-up table (size 4000)!"}, g_errors);
    EXPECT_EQ(0, table.count);
    EXPECT_EQ(nullptr, table.values);
    EXPECT_EQ(4.0f, table.reciprocalDeltaX);
}
