// The fuzz target's seed corpus, fed through the same entry function.
#include "fuzz/text_values/text_values_fuzz_entry.h"
#include "tests/support/fuzz_corpus.h"

TEST(TextValuesCorpus, EverySeedReadsWritesAndReadsBack) {
    EXPECT_GE(testsupport::ReplayCorpus("text_values", FuzzTextValues), 8);
}
