// Every allocation made while a document is read fails in turn: nothing may
// crash, leak or be used after the failure, and the document loses only what
// could not be stored. The allocation function of the service access layer is
// wrapped at link time (-Wl,--wrap), so every allocation of the library, its
// lists and the file manager passes through the counter below.
#include "tests/ini/ini_fixture.h"

#include <cstddef>
#include <map>
#include <set>

extern "C" void* __real__Z10ShellAllocm(size_t size);

namespace {
int g_failAt = -1;  // the allocation to refuse, counted from 0; -1: none
int g_counted = 0;
}  // namespace

extern "C" void* __wrap__Z10ShellAllocm(size_t size) {
    const int number = g_counted++;
    if (number == g_failAt) return nullptr;
    return __real__Z10ShellAllocm(size);
}

using initest::IniTest;

namespace {

using Entries = std::map<std::string, std::string>;  // "section/key" -> text

Entries Collect(IniFile& ini) {
    Entries entries;
    ini.RewindSections();
    for (IniSection* section = ini.CurrentSection(); section; ini.NextSection(), section = ini.CurrentSection()) {
        entries[std::string(section->name) + "/"] = "";
        for (IniKey* key = static_cast<IniKey*>(section->Keys().First()); key;
             key = static_cast<IniKey*>(section->Keys().Next())) {
            entries[std::string(section->name) + "/" + key->name] = key->text ? key->text : "";
        }
    }
    return entries;
}

class IniAllocationTest : public IniTest {
protected:
    void SetUp() override {
        IniTest::SetUp();
        std::string big = "[Big]\n";
        for (int i = 0; i < 300; ++i) big += "Key" + std::to_string(i) + "=" + std::to_string(i) + "\n";
        for (int i = 0; i < 40; ++i) big += "[S" + std::to_string(i) + "]\nA=1\nB=2\n";
        ASSERT_TRUE(Write("main.ini", "[Main]\nX=1\nx=2\n#include inc.ini\n#include big.ini\n[Main]\nY=3\n"));
        ASSERT_TRUE(Write("inc.ini", "[Inc]\nZ=4\n#include main.ini\n[Main]\nW=5\n"));
        ASSERT_TRUE(Write("big.ini", big));
    }
    void TearDown() override {
        g_failAt = -1;
        IniTest::TearDown();
    }
};

TEST_F(IniAllocationTest, EachAllocationOfALoadFailsInTurn) {
    g_failAt = -1;
    g_counted = 0;
    Entries full;
    {
        IniFile ini("main.ini", 0, 0, 20000);
        full = Collect(ini);
    }
    const int allocations = g_counted;
    ASSERT_GT(allocations, 10);
    ASSERT_EQ(full.count("S39/B"), 1u);

    for (int failing = 0; failing < allocations; ++failing) {
        g_counted = 0;
        g_failAt = failing;
        // Keys are made when their section is first read: the failure may fall
        // in the load or in the walk that reads every section.
        IniFile* ini = new IniFile("main.ini", 0, 0, 20000);
        Entries kept = Collect(*ini);
        g_failAt = -1;
        // What was stored is what the file says; only what could not be stored is missing.
        for (const auto& entry : kept) {
            auto found = full.find(entry.first);
            ASSERT_NE(found, full.end()) << "allocation " << failing << ": " << entry.first;
            EXPECT_EQ(found->second, entry.second) << "allocation " << failing;
        }
        // The document stays usable.
        ini->SetInt("After", "Failure", failing);
        EXPECT_EQ(ini->GetInt("After", "Failure", -1), ini->PoolCapacity() ? failing : -1);
        ini->Save("after.ini");
        delete ini;
    }
}

TEST_F(IniAllocationTest, EachAllocationOfTheSettersFailsInTurn) {
    for (int failing = 0; failing < 200; ++failing) {
        IniFile ini("fresh.ini", 0, 1, 100000);
        g_counted = 0;
        g_failAt = failing;
        bool allStored = true;
        for (int i = 0; i < 30; ++i) {
            std::string section = "Section" + std::to_string(i % 20);
            allStored = ini.SetInt(section.c_str(), ("K" + std::to_string(i)).c_str(), i) && allStored;
            allStored = ini.SetString(section.c_str(), "Text", "value") && allStored;
        }
        g_failAt = -1;
        // A setter that reported success stored its key.
        for (int i = 0; i < 30; ++i) {
            std::string section = "Section" + std::to_string(i % 20);
            if (ini.HasKey(section.c_str(), ("K" + std::to_string(i)).c_str())) {
                EXPECT_EQ(ini.GetInt(section.c_str(), ("K" + std::to_string(i)).c_str(), -1), i);
            }
        }
        if (allStored) break;  // every allocation has been refused once
    }
}

}  // namespace
