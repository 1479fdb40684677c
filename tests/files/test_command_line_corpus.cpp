// The command-line fuzz target's seed corpus, fed through the same entry
// function: every seed answers every question within its bounds.
#include "fuzz/command_line/command_line_fuzz_entry.h"
#include "tests/support/fuzz_corpus.h"

TEST(CommandLineCorpus, EverySeedPassesTheFuzzEntry) {
    EXPECT_GE(testsupport::ReplayCorpus("command_line", FuzzCommandLine), 7);
}
