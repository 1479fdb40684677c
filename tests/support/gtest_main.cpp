// The main of every test program. Like GoogleTest's own, except that a run in
// which nothing failed but some case was skipped (an optional package or
// facility is missing: the case says which) exits with 77, which CTest reports
// as a skip, so the summary shows what did not run.
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (RUN_ALL_TESTS() != 0) return 1;
    const testing::UnitTest& unit = *testing::UnitTest::GetInstance();
    return unit.skipped_test_count() > 0 ? 77 : 0;
}
