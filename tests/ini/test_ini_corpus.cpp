// The fuzz target's seed corpus, fed through the same entry function: every
// seed loads, saves and reads back without a fault.
#include "fuzz/ini/ini_fuzz_entry.h"
#include "tests/support/fuzz_corpus.h"

TEST(IniCorpus, EverySeedLoadsSavesAndReadsBack) { EXPECT_GE(testsupport::ReplayCorpus("ini", FuzzIniLoad), 8); }
