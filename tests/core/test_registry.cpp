// The interface registry on its own: look-ups, counts, delayed entries,
// messages, allocation failures.
#include "core_fixture.h"

#include "varn/mem.h"

#include <string>

using coretest::LogRecorder;

namespace {

int g_objects[4];
void* const kFirst = &g_objects[0];
void* const kSecond = &g_objects[1];
void* const kThird = &g_objects[2];

std::vector<uintptr_t> g_callbacks;
void VARN_CDECL RecordCallback(uintptr_t owner) { g_callbacks.push_back(owner); }

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        g_callbacks.clear();
        registry.Init();
        log.Clear();
    }
    void TearDown() override { registry.Deinit(); }

    LogRecorder log;
    InterfaceManager registry;
};

TEST_F(Registry, InitAndDeinitReportAndLeaveTheRegistryEmpty) {
    InterfaceManager other;
    EXPECT_EQ(&other, other.Init());
    EXPECT_TRUE(log.Has(LogSeverity::Info, "Interface Manager initialized..."));
    other.RegisterInterface("AAA", kFirst, 0);
    other.Deinit();
    EXPECT_EQ(0, other.EntryCount());
    EXPECT_TRUE(log.Has(LogSeverity::Info, "Interface Manager deinitialized..."));
}

TEST_F(Registry, SecondRegistrationIsRefusedAndTheFirstStays) {
    EXPECT_EQ(1, registry.RegisterInterface("FMG", kFirst, 0));
    EXPECT_EQ(0, registry.RegisterInterface("FMG", kSecond, 0x1234));
    EXPECT_EQ(1, log.Count(LogSeverity::Warning, "Interface FMG already registered."));
    // Whose it is and who tried again (an owner that is no loaded module by its value).
    EXPECT_TRUE(log.Has(LogSeverity::Warning,
                        "...Interface FMG belongs to the host; module 0x1234 registered it again."))
        << log.All();
    void* out = nullptr;
    ASSERT_EQ(1, registry.GetInterface("FMG", &out));
    EXPECT_EQ(kFirst, out);
    EXPECT_EQ(1, registry.EntryCount());
    registry.ReleaseInterface("FMG", &out);
    EXPECT_EQ(2u, log.Size()) << log.All();  // success is not logged
}

// An id meant as three upper-case letters that is not is noted and still taken.
TEST_F(Registry, IdsThatAreNotThreeUpperCaseLettersAreNotedAndTaken) {
    const struct {
        const char* id;
        bool noted;
    } kIds[] = {{"oo", true}, {"OO", true}, {"OOPS", true}, {"O1P", true}, {"ooP", true}, {"OO@", true},
                {"OOP", false}, {"AZZ", false}};
    for (const auto& row : kIds) {
        SCOPED_TRACE(row.id);
        log.Clear();
        EXPECT_EQ(1, registry.RegisterInterface(row.id, kFirst, 0));
        const std::string note = std::string("Interface id \"") + row.id +
                                 "\" of the host is not three upper-case letters; it is registered all the same.";
        EXPECT_EQ(row.noted ? 1 : 0, log.Count(LogSeverity::Warning, note)) << log.All();
        void* out = nullptr;
        EXPECT_EQ(1, registry.GetInterface(row.id, &out));
        registry.ReleaseInterface(row.id, &out);
    }
}

TEST_F(Registry, IdsAreCaseSensitiveAndEmptyIdsNeverMatch) {
    registry.RegisterInterface("FMG", kFirst, 0);
    void* out = kThird;
    EXPECT_EQ(0, registry.GetInterface("fmg", &out));
    EXPECT_TRUE(log.Has(LogSeverity::Warning, "Unable to get Interface fmg!"));
    EXPECT_EQ(0, registry.GetInterface("", &out));
    EXPECT_TRUE(log.Has(LogSeverity::Warning, "Unable to get Interface !"));
    EXPECT_EQ(0, registry.GetInterface(nullptr, &out));
    EXPECT_EQ(kThird, out);
    EXPECT_EQ(0, registry.ReferenceCount("FMG"));
    // An entry under an empty id could never be found or withdrawn.
    EXPECT_EQ(0, registry.RegisterInterface("", kSecond, 0));
    EXPECT_EQ(0, registry.RegisterInterface(nullptr, kSecond, 0));
    EXPECT_EQ(2, log.Count(LogSeverity::Error, "Unable to register Interface !"));
    EXPECT_EQ(1, registry.EntryCount());
}

TEST_F(Registry, LongIdsAreAcceptedWhole) {
    std::string longId(300, 'Q');
    std::string sameStart = longId.substr(0, 299) + "R";
    EXPECT_EQ(1, registry.RegisterInterface(longId.c_str(), kFirst, 0));
    EXPECT_EQ(1, registry.RegisterInterface(sameStart.c_str(), kSecond, 0));
    void* out = nullptr;
    ASSERT_EQ(1, registry.GetInterface(sameStart.c_str(), &out));
    EXPECT_EQ(kSecond, out);
    registry.ReleaseInterface(sameStart.c_str(), &out);
}

TEST_F(Registry, LookupsWrapAroundFromWhereverThePositionIs) {
    registry.RegisterInterface("AAA", kFirst, 0);
    registry.RegisterInterface("BBB", kSecond, 0);
    registry.RegisterInterface("CCC", kThird, 0);
    void* out = nullptr;
    // The position is on CCC after its registration; AAA lies behind it.
    for (const char* id : {"CCC", "AAA", "BBB", "AAA", "CCC", "BBB"}) {
        ASSERT_EQ(1, registry.GetInterface(id, &out)) << id;
        ASSERT_EQ(1, registry.ReleaseInterface(id, &out)) << id;
    }
    // A miss leaves no position; the next look-up starts at the head.
    EXPECT_EQ(0, registry.GetInterface("ZZZ", &out));
    EXPECT_EQ(1, registry.GetInterface("CCC", &out));
    EXPECT_EQ(kThird, out);
    registry.ReleaseInterface("CCC", &out);
    // Removing the middle entry keeps the others reachable in both directions.
    EXPECT_EQ(1, registry.UnregisterInterface("BBB"));
    EXPECT_EQ(1, registry.GetInterface("CCC", &out));
    registry.ReleaseInterface("CCC", &out);
    EXPECT_EQ(1, registry.GetInterface("AAA", &out));
    registry.ReleaseInterface("AAA", &out);
    EXPECT_EQ(0, registry.GetInterface("BBB", &out));
}

TEST_F(Registry, CountsFollowGetsAndReleasesAndUnregisterWarnsWhileHeld) {
    registry.RegisterInterface("OPT", kFirst, 0);
    void* first = nullptr;
    void* second = nullptr;
    registry.GetInterface("OPT", &first);
    registry.GetInterface("OPT", &second);
    EXPECT_EQ(1, registry.ReleaseInterface("OPT", &first));
    EXPECT_EQ(nullptr, first);
    EXPECT_EQ(1, registry.ReferenceCount("OPT"));
    log.Clear();
    EXPECT_EQ(1, registry.UnregisterInterface("OPT"));
    EXPECT_TRUE(log.Has(LogSeverity::Warning, "Register count for Interface OPT is non-zero (1)!"));
    EXPECT_TRUE(log.Has(LogSeverity::Warning, "...Interface OPT belongs to the host."));
    EXPECT_TRUE(log.Has(LogSeverity::Notice, "Interface OPT successfully unregistered."));
    EXPECT_EQ(0, registry.EntryCount());
    // The holder that kept its pointer cannot release it any more.
    EXPECT_EQ(0, registry.ReleaseInterface("OPT", &second));
    EXPECT_EQ(kFirst, second);
    EXPECT_TRUE(log.Has(LogSeverity::Error, "Unable to release Interface OPT!"));
    EXPECT_EQ(0, registry.UnregisterInterface("OPT"));
    EXPECT_TRUE(log.Has(LogSeverity::Warning, "Unable to unregister Interface OPT."));
}

TEST_F(Registry, ReleaseOfANullHolderFailsSilently) {
    registry.RegisterInterface("CLK", kFirst, 0);
    void* holder = nullptr;
    log.Clear();
    EXPECT_EQ(0, registry.ReleaseInterface("CLK", &holder));
    EXPECT_EQ(0, registry.ReleaseInterface("CLK", nullptr));
    EXPECT_EQ(0u, log.Size());
    EXPECT_EQ(0, registry.ReferenceCount("CLK"));
}

TEST_F(Registry, TryReleaseOwnerMarksOnlyTheFirstHeldEntryOfTheOwner) {
    const uintptr_t h = 0x1234;
    registry.RegisterInterface("XXA", kFirst, h);
    registry.RegisterInterface("XXB", kSecond, h);
    registry.RegisterInterface("XXC", kThird, 0x999);
    void* a = nullptr;
    void* b = nullptr;
    registry.GetInterface("XXA", &a);
    registry.GetInterface("XXB", &b);
    EXPECT_EQ(0, registry.TryReleaseOwner(h, &RecordCallback));
    EXPECT_EQ(1, registry.IsDelayed("XXA"));
    EXPECT_EQ(0, registry.IsDelayed("XXB"));
    void* again = nullptr;
    EXPECT_EQ(0, registry.GetInterface("XXA", &again));
    EXPECT_EQ(nullptr, again);
    EXPECT_EQ(1, registry.GetInterface("XXB", &again));
    registry.ReleaseInterface("XXB", &again);
    EXPECT_EQ(1, registry.TryReleaseOwner(0x999, &RecordCallback));  // owner with nothing held
    registry.ReleaseInterface("XXA", &a);
    EXPECT_EQ(std::vector<uintptr_t>{h}, g_callbacks);
    registry.ReleaseInterface("XXB", &b);
    EXPECT_EQ(1u, g_callbacks.size());  // XXB was never marked
}

TEST_F(Registry, TheCallbackComesWithTheLastReleaseOnly) {
    const uintptr_t h = 77;
    registry.RegisterInterface("SND", kFirst, h);
    void* first = nullptr;
    void* second = nullptr;
    registry.GetInterface("SND", &first);
    registry.GetInterface("SND", &second);
    EXPECT_EQ(0, registry.TryReleaseOwner(h, &RecordCallback));
    registry.ReleaseInterface("SND", &first);
    EXPECT_TRUE(g_callbacks.empty());
    registry.ReleaseInterface("SND", &second);
    EXPECT_EQ(std::vector<uintptr_t>{h}, g_callbacks);
    // A delayed entry can still be withdrawn.
    EXPECT_EQ(1, registry.UnregisterInterface("SND"));
}

TEST_F(Registry, HostOwnersAndUnheldOwnersAreAlwaysFree) {
    registry.RegisterInterface("MEM", kFirst, 0);
    registry.RegisterInterface("INP", kSecond, 5);
    void* held = nullptr;
    registry.GetInterface("MEM", &held);
    EXPECT_EQ(1, registry.TryReleaseOwner(0, &RecordCallback));
    EXPECT_EQ(1, registry.TryReleaseOwner(5, &RecordCallback));
    EXPECT_EQ(0, registry.IsDelayed("MEM"));
    registry.ReleaseInterface("MEM", &held);
    // A count driven below zero does not count as held.
    void* stray = kSecond;
    registry.ReleaseInterface("INP", &stray);
    EXPECT_EQ(-1, registry.ReferenceCount("INP"));
    EXPECT_EQ(1, registry.TryReleaseOwner(5, &RecordCallback));
}

// Shutdown names every interface left behind, held or not, with its owner and
// count, and warns once more for each held one.
TEST_F(Registry, DeinitWarnsOncePerHeldEntry) {
    registry.RegisterInterface("AAA", kFirst, 0);
    registry.RegisterInterface("BBB", kSecond, 0x99);
    registry.RegisterInterface("CCC", kThird, 0);
    void* a = nullptr;
    void* c1 = nullptr;
    void* c2 = nullptr;
    registry.GetInterface("AAA", &a);
    registry.GetInterface("CCC", &c1);
    registry.GetInterface("CCC", &c2);
    registry.Deinit();
    EXPECT_EQ(1, log.Count(LogSeverity::Warning, "...Interface AAA has reference count of 1."));
    EXPECT_EQ(1, log.Count(LogSeverity::Warning, "...Interface CCC has reference count of 2."));
    EXPECT_EQ(1, log.Count(LogSeverity::Warning, "...Interface AAA of the host still registered (reference count 1)."));
    EXPECT_EQ(1, log.Count(LogSeverity::Warning, "...Interface BBB of module 0x99 still registered (reference count 0)."));
    EXPECT_EQ(1, log.Count(LogSeverity::Warning, "...Interface CCC of the host still registered (reference count 2)."));
    EXPECT_EQ(5, log.CountSeverity(LogSeverity::Warning));
    EXPECT_EQ(0, registry.EntryCount());
    void* after = nullptr;
    EXPECT_EQ(0, registry.GetInterface("AAA", &after));
}

// A memory service that refuses the n-th allocation and counts what is out.
class FailingMemory final : public IMemoryManager {
public:
    explicit FailingMemory(int failAt) : m_failAt(failAt) {}
    void* memAlloc(uint32_t size, int32_t, int32_t, const char*) override {
        if (++m_calls == m_failAt) return nullptr;
        ++m_outstanding;
        return malloc(size);
    }
    void memFree(void* block) override {
        if (!block) return;
        --m_outstanding;
        free(block);
    }
    void memReleaseOwner(const char*) override {}
    void memCompact() override {}
    void memReserved(int32_t) override {}
    int Outstanding() const { return m_outstanding; }

private:
    int m_failAt;
    int m_calls = 0;
    int m_outstanding = 0;
};

TEST_F(Registry, EveryFailedAllocationFailsTheRegistrationWithoutLeaving) {
    // 1: the entry, 2: the id copy, 3: the list node.
    for (int failAt = 1; failAt <= 3; ++failAt) {
        FailingMemory memory(failAt);
        ShellBindMemory(&memory);
        log.Clear();
        EXPECT_EQ(0, registry.RegisterInterface("NET", kFirst, 0)) << failAt;
        EXPECT_EQ(1, log.Count(LogSeverity::Error, "Unable to register Interface NET!")) << failAt;
        EXPECT_EQ(0, registry.EntryCount()) << failAt;
        EXPECT_EQ(0, memory.Outstanding()) << failAt;
        // The registry still works once memory is there.
        EXPECT_EQ(1, registry.RegisterInterface("NET", kFirst, 0));
        EXPECT_EQ(1, registry.UnregisterInterface("NET"));
        EXPECT_EQ(0, memory.Outstanding()) << failAt;
        ShellUnbindMemory();
    }
}

}  // namespace
