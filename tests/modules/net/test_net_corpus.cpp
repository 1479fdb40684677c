// The datagram fuzz target's seed corpus, fed through the same entry function.
#include "fuzz/net/net_fuzz_entry.h"
#include "tests/support/fuzz_corpus.h"

TEST(NetCorpus, EverySeedPassesTheFuzzEntry) { EXPECT_GE(testsupport::ReplayCorpus("net", FuzzNetDatagrams), 10); }
