// The main of every test program. Like GoogleTest's own, except that a run in
// which nothing failed but some case was skipped (an optional package or
// facility is missing: the case says which) exits with 77, which CTest reports
// as a skip, so the summary shows what did not run. The skipped cases are
// listed at the end with their reasons. A Windows test program runs its cases
// that may skip as entries of their own (varn_add_test's MAY_SKIP), so that
// one skipped case does not mark the others as not run.
#include <gtest/gtest.h>

#include <cstdio>

namespace {

void PrintSkippedCases(const testing::UnitTest& unit) {
    if (unit.skipped_test_count() == 0) return;
    printf("Skipped cases:\n");
    for (int s = 0; s < unit.total_test_suite_count(); ++s) {
        const testing::TestSuite& suite = *unit.GetTestSuite(s);
        for (int t = 0; t < suite.total_test_count(); ++t) {
            const testing::TestInfo& info = *suite.GetTestInfo(t);
            const testing::TestResult& result = *info.result();
            if (!info.should_run() || !result.Skipped()) continue;
            const char* reason = "";
            for (int p = 0; p < result.total_part_count(); ++p) {
                if (result.GetTestPartResult(p).skipped()) reason = result.GetTestPartResult(p).message();
            }
            printf("  %s.%s: %s\n", suite.name(), info.name(), reason[0] ? reason : "(no reason given)");
        }
    }
    fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (RUN_ALL_TESTS() != 0) return 1;
    const testing::UnitTest& unit = *testing::UnitTest::GetInstance();
    PrintSkippedCases(unit);
    return unit.skipped_test_count() > 0 ? 77 : 0;
}
