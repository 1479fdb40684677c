// varnComm loaded through the module loader and the registry, with the game's
// interfaces faked in this program: loading, drawing, number keys, orders to
// the flight, the display time, and the unload.
#include "tests/comm/comm_fakes.h"

#include "core/clock.h"
#include "core/debug_system.h"
#include "core/dll_library_manager.h"
#include "core/interface_manager.h"
#include "core/memory_manager.h"
#include "core/random_table.h"
#include "files/file_manager.h"
#include "shell/shell.h"
#include "tests/support/fake_application.h"
#include "tests/support/tool_run.h"

#include <gtest/gtest.h>

#include <algorithm>

using commtest::Journal;
using Lines = std::vector<std::string>;

namespace {

const char kDefinition[] =
    "[Font]\nTextFontName=Arial\nTextSize=24\nTextBold=TRUE\n"
    "[InfoDisplay]\nBackgroundImage=box.tga\nHorizontalBorder=0.25\nVerticalBorder=0.025\nDisplayWidth=0.5\n"
    "DisplayHeight=0.75\nTopLeftPosition=0.125,0.25\nActiveColor=1,0.5,0\nDisabledColor=2,-1,0.5,3\nDisplayTime=5\n"
    "[MenuText]\nTextFile=Orders.txt\n"
    "[Menu001]\nName=Orders\nText=TITLE\nItem[001].Text=ATTACK\nItem[002].Text=COVER\nItem[002].ExtraSpace=TRUE\n"
    "Item[003].Text=NOSUCHKEY\nItem[003].CommandNum=10\nItem[004].Text=FORM\nItem[004].CommandNum=12\n"
    "Item[006].Text=SKIPPED\n"
    "[Menu002]\nText=OTHER\nItem[001].Text=OTHER\n";

const char* const kServiceIds[] = {"DBG", "MEM", "DLL", "FMG", "RND", "CLK", "APP",
                                   "GFX", "OBJ", "MSN", "TXT", "CTL"};

class CommModule : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.Made());
        ASSERT_TRUE(plat::DirChange(m_dir.Path()));
        m_debug.Init(kDebugFileName);
        ASSERT_TRUE(m_memory.Init());
        ShellSetRegistry(m_registry.Init());
        m_dll.Reset(&m_registry);
        m_files.Initialize();
        void* objects[] = {static_cast<IDebugSystem*>(&m_debug), static_cast<IMemoryManager*>(&m_memory),
                           static_cast<IDllLibraryManager*>(&m_dll), static_cast<IFileManager*>(&m_files),
                           static_cast<IRandomTable*>(&m_random), static_cast<IClock*>(&m_clock),
                           static_cast<IApplication*>(&m_app), static_cast<IGraphicsEngine*>(&gfx),
                           static_cast<IObjectManager*>(&obj), static_cast<IMissionSystem*>(&msn),
                           static_cast<ITextManager*>(&txt), static_cast<IControlMap*>(&ctl)};
        for (size_t i = 0; i < sizeof objects / sizeof objects[0]; ++i)
            m_registry.RegisterInterface(kServiceIds[i], objects[i], 0);
        m_dll.dllSetDirectory(testsupport::SystemSidePath(COMM_MODULE_DIR).c_str());
        obj.Add(100);  // the player
        obj.Add(101);
        obj.Add(102).flags = commtest::FakeObjects::kRemoteMask;
        obj.Add(103);
    }

    void TearDown() override {
        Unload();
        // The module gave back everything it took.
        for (const char* id : kServiceIds) EXPECT_EQ(0, m_registry.ReferenceCount(id)) << id;
        EXPECT_EQ(-1, m_registry.ReferenceCount("COM"));
        for (const char* id : kServiceIds) m_registry.UnregisterInterface(id);
        m_files.Shutdown();
        m_registry.Deinit();
        ShellSetRegistry(nullptr);
        m_memory.Shutdown();
        m_debug.Shutdown();
    }

    // Loads the module and initialises "COM" with the definition text.
    ICommInterface* Load(const std::string& definition = kDefinition) {
        EXPECT_TRUE(m_dir.Write("comm.ini", definition));
        EXPECT_EQ(1, m_dll.dllLoadLibrary(COMM_MODULE_FILE));
        EXPECT_EQ(1, m_registry.GetInterface("COM", &m_com));
        if (!m_com) return nullptr;
        com()->comInit("comm.ini");
        return com();
    }
    void Unload() {
        if (m_com) m_registry.ReleaseInterface("COM", &m_com);
        m_dll.dllFreeAll();
    }
    ICommInterface* com() { return static_cast<ICommInterface*>(m_com); }

    bool IsOpen() {
        size_t before = journal.lines.size();
        com()->comDraw();
        bool open = journal.lines.size() > before;
        journal.lines.resize(before);
        return open;
    }
    void Open() {
        if (!IsOpen()) com()->comToggle();
        ASSERT_TRUE(IsOpen());
    }
    Lines Drawn() {
        journal.lines.clear();
        com()->comDraw();
        return journal.With("GFX");
    }

    Journal journal;
    commtest::FakeGraphics gfx{journal};
    commtest::FakeObjects obj{journal};
    commtest::FakeMission msn{journal};
    commtest::FakeTexts txt{journal};
    commtest::FakeControls ctl{journal};

    testsupport::WorkingDirGuard m_cwd;
    testsupport::ScratchDir m_dir;
    DebugSystem m_debug;
    MemoryManager m_memory;
    InterfaceManager m_registry;
    DllLibraryManager m_dll;
    FileManager m_files;
    RandomTable m_random;
    Clock m_clock;
    testsupport::FakeApplication m_app;
    void* m_com = nullptr;
};

TEST_F(CommModule, LoadsTheDefinitionAndDrawsTheBox) {
    ASSERT_NE(nullptr, Load());
    Lines loading = {"GFX CreateFont Arial 24 0x2", "GFX LoadImage box.tga 1 0 1", "TXT Load Orders.txt",
                     "TXT LookUp Orders.txt ATTACK", "TXT LookUp Orders.txt COVER", "TXT LookUp Orders.txt NOSUCHKEY",
                     "TXT LookUp Orders.txt FORM", "TXT LookUp Orders.txt TITLE"};
    for (int command = 2; command <= 11; ++command) loading.push_back("CTL Register " + std::to_string(command));
    loading.insert(loading.end(), {"MSN MissionRecord", "MSN FlightSlots"});
    for (const char* flag : {"AIR", "GROUND", "MISSILE", "DETECTED", "IDENTIFIED", "AWAKE", "ASLEEP", "LEAD",
                             "FORMATION", "NETOBJECT", "REMOTEOBJECT", "TARGETABLE", "PLAYERLAUNCHED", "PLAYERTARGET",
                             "PLAYEROBJECT", "NOT_RENDERED", "WEAPON_IN_FLIGHT"})
        loading.push_back(std::string("OBJ FlagMask ") + flag);
    loading.push_back("GFX GetDisplay");
    EXPECT_EQ(loading, journal.lines);  // Menu002 and item 006 are never read
    EXPECT_EQ(1, msn.record.flights.currentIndex);
    EXPECT_EQ(1, msn.slots.currentIndex);

    EXPECT_EQ(Lines{}, Drawn());  // closed
    com()->comToggle();
    // Line height 24/480 + 2 * 0.025; the box is title + four items + one extra line high.
    EXPECT_EQ((Lines{"GFX DrawImage 0.125 0.25 0.5 0.6 7 1", "GFX SelectFont 5", "GFX SetTextColor 1 1 1 1",
                     "GFX BeginText", "GFX DrawText Orders 0.375 0.275 0 0",
                     "GFX SetTextColor 1 0.5 0 1", "GFX DrawText 1. Attack my target 0.375 0.375 0 0",
                     "GFX SetTextColor 1 0.5 0 1", "GFX DrawText 2. Cover me 0.375 0.575 0 0",
                     "GFX SetTextColor 1 0.5 0 1", "GFX DrawText 0.  0.375 0.675 0 0",
                     "GFX SetTextColor 1 0.5 0 1", "GFX DrawText 2. Form up 0.375 0.775 0 0", "GFX EndText"}),
              Drawn());
    com()->comToggle();
    EXPECT_FALSE(IsOpen());
    // A title the text file lacks is drawn empty.
    txt.texts.erase("TITLE");
    com()->comInit("comm.ini");
    Open();
    EXPECT_EQ("GFX DrawText  0.375 0.275 0 0", Drawn().at(4));
}

TEST_F(CommModule, NumberKeysSendOrdersToTheComputerFlownMembers) {
    obj.Member(103).answers[45] = 1;  // place 3 lies beyond the flight's three aircraft
    ASSERT_NE(nullptr, Load());
    struct Case {
        int command;
        Lines messages;
        bool openAfter;
    } cases[] = {
        {2, {"MSG 101:45 -1 0", "MSG 101:66 -1 0", "MSG 101:46 -1 0"}, false},  // item 1: order 46; 102 is remote
        {3, {"MSG 101:45 -1 0", "MSG 101:66 -1 0", "MSG 101:47 -1 0"}, false},
        {11, {"MSG 101:45 -1 0", "MSG 101:66 -1 0"}, false},  // item numbered 10: no order code
        {5, {}, true},                                         // no item numbered 4
        {12, {}, true},                                        // beyond the number keys
        {1, {}, true},
    };
    for (const Case& c : cases) {
        Open();
        journal.lines.clear();
        ctl.Press(c.command);
        EXPECT_EQ(c.messages, journal.With("MSG")) << c.command;
        EXPECT_EQ(c.openAfter, IsOpen()) << c.command;
    }
    // A member that answers 66 takes no order; the box closes all the same.
    obj.Member(101).answers[66] = 1;
    journal.lines.clear();
    ctl.Press(2);
    EXPECT_EQ((Lines{"MSG 101:45 -1 0", "MSG 101:66 -1 0"}), journal.With("MSG"));
    EXPECT_FALSE(IsOpen());
    // A flight that shrank to one after loading: the item is taken, nothing sent.
    msn.flights[1].aircraftCount = 1;
    Open();
    journal.lines.clear();
    ctl.Press(2);
    EXPECT_EQ(Lines{}, journal.With("MSG"));
    EXPECT_FALSE(IsOpen());
    // A flight record larger than its slot reads no place beyond the slot.
    msn.flights[1].aircraftCount = 30000;
    obj.Member(101).answers.clear();
    Open();
    journal.lines.clear();
    ctl.Press(2);
    EXPECT_EQ(3u, journal.With("MSG 101").size());
    EXPECT_EQ(1u, journal.With("MSG 103").size());  // it answers 45
}

TEST_F(CommModule, NoOrdersInSomeMissionsOrToAFlightOfOne) {
    struct Case {
        const char* what;
        int mode, flags, count, index;
        bool mission;
    } cases[] = {
        {"mode 0", 0, 0, 3, 1, true},      {"mode 3", 3, 0, 3, 1, true},    {"flags", 1, 4, 3, 1, true},
        {"one aircraft", 1, 0, 1, 1, true}, {"no flight", 1, 0, 3, 5, true}, {"negative index", 1, 0, 3, -1, true},
        {"no mission", 1, 0, 3, 1, false},
    };
    ASSERT_NE(nullptr, Load());
    for (const Case& c : cases) {
        msn.record.missionMode = c.mode;
        msn.record.flags = c.flags;
        msn.flights[1].aircraftCount = static_cast<int16_t>(c.count);
        msn.record.playerFlightIndex = c.index;
        msn.hasMission = c.mission;
        com()->comInit("comm.ini");  // a second load replaces the first
        Open();
        Lines drawn = Drawn();
        EXPECT_EQ(4, std::count(drawn.begin(), drawn.end(), "GFX SetTextColor 1 0 0.5 1")) << c.what;
        journal.lines.clear();
        ctl.Press(2);
        EXPECT_EQ(Lines{}, journal.With("MSG")) << c.what;
        EXPECT_TRUE(IsOpen()) << c.what;
        com()->comToggle();
    }
}

TEST_F(CommModule, TheBoxClosesWhenItsTimeRunsOutOrThePlayerIsGone) {
    ASSERT_NE(nullptr, Load());
    Open();
    for (float elapsed : {2.0f, 2.0f, 1.0f}) com()->comUpdate(elapsed);
    EXPECT_TRUE(IsOpen());  // exactly 0 left
    com()->comUpdate(0.25f);
    EXPECT_FALSE(IsOpen());

    Open();
    obj.Member(100).active = 0;
    com()->comUpdate(0.0f);
    EXPECT_FALSE(IsOpen());
    com()->comToggle();
    EXPECT_FALSE(IsOpen());
    obj.Member(100).active = 1;
    Open();
    obj.playerId = -1;
    journal.lines.clear();
    ctl.Press(2);
    EXPECT_FALSE(IsOpen());
    EXPECT_EQ(Lines{}, journal.With("MSG"));
}

TEST_F(CommModule, AWideSurfacePutsTheBoxInTheMiddleThird) {
    gfx.mode.flags = kDisplayWideSurface;
    ASSERT_NE(nullptr, Load());
    Open();
    Lines drawn = Drawn();
    ASSERT_GE(drawn.size(), 5u);
    EXPECT_EQ("GFX DrawImage 0.375 0.25 0.166666 0.6 7 1", drawn[0]);  // 0.5 * 0.333333, not 0.5 / 3
    EXPECT_EQ("GFX DrawText Orders 0.458333 0.275 0 0", drawn[4]);  // (0.125 + 1) * 0.333333 + 0.25 * 0.333333
}

TEST_F(CommModule, UnloadingWithoutDeinitWithdrawsTheKeys) {
    ASSERT_NE(nullptr, Load("[Menu001]\nItem[001].Text=ATTACK\n"));
    EXPECT_EQ(10u, ctl.callbacks.size());
    journal.lines.clear();
    // "COM" belongs to the module: while it is held the unload waits for its release.
    EXPECT_EQ(0, m_dll.dllFreeLibrary(COMM_MODULE_FILE));
    EXPECT_EQ(1, m_registry.IsDelayed("COM"));
    EXPECT_EQ(10u, ctl.callbacks.size());
    m_registry.ReleaseInterface("COM", &m_com);  // the delayed unload runs ExitDLL
    EXPECT_EQ(0, m_dll.LibraryCount());
    EXPECT_EQ(0u, ctl.callbacks.size());
    Lines keys = journal.With("CTL");
    ASSERT_EQ(10u, keys.size());
    EXPECT_EQ("CTL Unregister 2", keys[0]);
    EXPECT_EQ("CTL Unregister 11", keys[9]);
}

TEST_F(CommModule, DeinitWithdrawsTheKeysAndTheTextsOnce) {
    ASSERT_NE(nullptr, Load());
    journal.lines.clear();
    com()->comDeinit();
    EXPECT_EQ("TXT Unload Orders.txt", journal.lines.back());
    EXPECT_EQ(10u, journal.With("CTL Unregister").size());
    com()->comToggle();  // no menu: stays closed
    EXPECT_FALSE(IsOpen());
    journal.lines.clear();
    Unload();
    EXPECT_EQ(Lines{}, journal.With("CTL"));
}

}  // namespace
