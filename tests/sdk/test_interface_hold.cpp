// The holdings of interfaces as journals of registry calls: InterfaceHold<T>
// over getting, moving, releasing early and going out of scope, with the id
// taken from T; and the service access layer's life-long holdings, got and
// released in their fixed order with memReleaseOwner before "MEM".
#include "shell/shell.h"
#include "varn/held.h"
#include "varn/varn.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

// A registry that journals its gets and releases and hands out the object
// set for an id, or `object` for any other id but "OPT".
class JournalRegistry final : public IInterfaceManager {
public:
    int32_t RegisterInterface(const char*, void*, uintptr_t) override { return 0; }
    int32_t UnregisterInterface(const char*) override { return 0; }
    int32_t GetInterface(const char* id, void** out) override {
        bool there = std::string(id) != "OPT";
        journal.push_back(std::string("get ") + id + (there ? "" : " (absent)"));
        if (!there) return 0;
        *out = objects.count(id) ? objects[id] : &object;
        return 1;
    }
    int32_t ReleaseInterface(const char* id, void** holder) override {
        journal.push_back(std::string("release ") + id);
        if (!*holder) return 0;
        *holder = nullptr;
        return 1;
    }
    int32_t TryReleaseOwner(uintptr_t, DelayedReleaseCallback) override { return 1; }

    std::vector<std::string> journal;
    std::map<std::string, void*> objects;
    int object = 0;
};

TEST(InterfaceHold, GetsOnConstructionReleasesOnceAndMovesTheHolding) {
    JournalRegistry registry;
    {
        InterfaceHold<IClock> clock(&registry);
        EXPECT_TRUE(clock);
        EXPECT_EQ(static_cast<void*>(clock.get()), &registry.object);
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

// An application with no window yet.
class NoWindowApplication final : public IApplication {
    int32_t appPumpMessages() override { return 1; }
    void appRequestQuit() override {}
    int32_t appIsActive() override { return 0; }
    void appSetActive(int32_t) override {}
    const char* appGetBaseDirectory() override { return ""; }
    void appSetWindowed(int32_t) override {}
    int32_t appIsWindowed() override { return 1; }
    void appSetForeground(int32_t) override {}
    void appSetWindowPos(int32_t, int32_t, int32_t, int32_t) override {}
    void appGetWindowRect(VarnRect*) override {}
    void appMinimize() override {}
    void appRestoreWindow() override {}
    void appShowCursor(int32_t) override {}
    void appSetPendingText(const char*) override {}
    int32_t appHasPendingText() override { return 0; }
    void* appGetWindowHandle() override { return nullptr; }
    void* appGetInstanceHandle() override { return nullptr; }
    const VarnGuid* appGetApplicationGuid() override { return nullptr; }
    void appReserved1() override {}
    void appReserved2() override {}
    void appAddMessageCallback(uint32_t, MessageCallback) override {}
    void appRemoveMessageCallback(uint32_t, MessageCallback) override {}
};

TEST(InterfaceHold, TheAccessLayerGetsAndReleasesItsServicesInItsFixedOrder) {
    JournalRegistry registry;
    JournalMemory memory(&registry.journal);
    NoWindowApplication application;
    registry.objects[IMemoryManager::kId] = static_cast<IMemoryManager*>(&memory);
    registry.objects[IApplication::kId] = static_cast<IApplication*>(&application);
    ASSERT_NE(ShellAttach("EXA", &registry), nullptr);
    EXPECT_EQ(ShellDetach("EXA"), 1);
    std::vector<std::string> expected = {
        "get DBG",     "get MEM",     "get APP",     "get DLL",     "get FMG",               "get RND",
        "release RND", "release FMG", "release DLL", "release APP", "memReleaseOwner EXA", "release MEM",
        "release DBG"};
    EXPECT_EQ(registry.journal, expected);
}

}  // namespace
