// The holdings of interfaces as journals of registry calls: InterfaceHold<T>
// over getting, moving, releasing early and going out of scope, with the id
// taken from T; and the service access layer's life-long holdings, got and
// released in their fixed order with memReleaseOwner before "MEM".
#include "shell/shell.h"
#include "tests/support/fake_application.h"
#include "tests/support/fake_registry.h"
#include "varn/held.h"
#include "varn/varn.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

using testsupport::FakeRegistry;

TEST(InterfaceHold, GetsOnConstructionReleasesOnceAndMovesTheHolding) {
    FakeRegistry registry;
    int object = 0;
    registry.objects = {{"CLK", &object}, {"FMG", &object}};  // "OPT" absent
    {
        InterfaceHold<IClock> clock(&registry);
        EXPECT_TRUE(clock);
        EXPECT_EQ(static_cast<void*>(clock.get()), &object);
        InterfaceHold<IClock> moved(std::move(clock));
        EXPECT_FALSE(clock);
        EXPECT_TRUE(moved);
        InterfaceHold<IOptionsFile> options(&registry);  // absent: nothing to release
        EXPECT_FALSE(options);
        InterfaceHold<IClock> other(&registry);
        InterfaceHold<IFileManager> files;
        EXPECT_EQ(files.Get(&registry), 1);
        EXPECT_EQ(files.Release(), 1);
        EXPECT_EQ(files.Release(), 0);  // nothing held any more
        other = std::move(moved);       // other lets go of its CLK and takes moved's
        EXPECT_TRUE(other);
        EXPECT_FALSE(moved);
    }
    // Two CLKs got, two released: the moved-from holders release nothing.
    std::vector<std::string> expected = {"get CLK", "get OPT (absent)", "get CLK",    "get FMG",
                                         "release FMG", "release CLK",  "release CLK"};
    EXPECT_EQ(registry.journal, expected);
    EXPECT_EQ(registry.held, 0);
}

// The heap of the layer under test: C runtime blocks, the owner's release journaled.
class JournalMemory final : public IMemoryManager {
public:
    explicit JournalMemory(std::vector<std::string>* journal) : m_journal(journal) {}
    void* memAlloc(uint32_t size, int32_t, int32_t, const char*) override { return malloc(size); }
    void memFree(void* block) override { free(block); }
    void memReleaseOwner(const char* owner) override { m_journal->push_back(std::string("memReleaseOwner ") + owner); }
    void memCompact() override {}
    void memReserved(int32_t) override {}

private:
    std::vector<std::string>* m_journal;
};

TEST(InterfaceHold, TheAccessLayerGetsAndReleasesItsServicesInItsFixedOrder) {
    FakeRegistry registry;
    JournalMemory memory(&registry.journal);
    testsupport::FakeApplication application;  // no window yet
    application.windowHandle = application.instanceHandle = nullptr;
    int object = 0;
    registry.objects = {{"DBG", &object}, {"DLL", &object}, {"FMG", &object}, {"RND", &object},
                        {IMemoryManager::kId, static_cast<IMemoryManager*>(&memory)},
                        {IApplication::kId, static_cast<IApplication*>(&application)}};
    ASSERT_NE(ShellAttach("EXA", &registry), nullptr);
    EXPECT_EQ(ShellDetach("EXA"), 1);
    std::vector<std::string> expected = {
        "get DBG",     "get MEM",     "get APP",     "get DLL",     "get FMG",               "get RND",
        "release RND", "release FMG", "release DLL", "release APP", "memReleaseOwner EXA", "release MEM",
        "release DBG"};
    EXPECT_EQ(registry.journal, expected);
    EXPECT_EQ(registry.held, 0);
}

}  // namespace
