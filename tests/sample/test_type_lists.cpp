// The sample's object type lists, read through the file manager as the game
// reads them, and the reader of the session's aircraft list file.
#include "aircraft_list_file.h"
#include "tests/ini/ini_fixture.h"
#include "type_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using sample::ListedAircraft;
using sample::TypeList;

class TypeListTest : public initest::IniTest {};

const AircraftRecord& Record(TypeList& list, int index) {
    void* record = nullptr;
    list.GetRecord(index, &record);
    static AircraftRecord none{};
    return record ? *static_cast<const AircraftRecord*>(record) : none;
}

TEST_F(TypeListTest, ReadsEveryNamedSectionInOrderWithItsFieldsCutToTheRecord) {
    const std::string longName(80, 'n'), longText(200, 't');
    ASSERT_TRUE(Write("Types.ini", "[A]\nName=Alpha\nText=First\nRange=10,20\nFlags=3\nFlags2=12\n"
                                   "[NoName]\nText=left out\n"
                                   "[B]\nName=" + longName + "\nText=" + longText + "\nRange=5, 30\nRange2=-4,60\nNetwork=FALSE\n"
                                   "[C]\nName=Gamma\nRange=oops\nRange2=1\nNetwork=0\n"
                                   "[D]\nName=Delta\nNetwork=TRUE\n"));
    TypeList list("aircraft", "Types.ini");
    ASSERT_TRUE(list.Load());
    ASSERT_EQ(4, list.GetCount());  // the nameless section is left out
    EXPECT_TRUE(m_log.HasError("objects: aircraft type [NoName] of Types.ini has no name; left out")) << m_log.All();
    EXPECT_TRUE(m_log.HasError("objects: aircraft type Gamma: Range oops is not two numbers"));
    EXPECT_TRUE(m_log.HasError("objects: aircraft type Gamma: Range2 1 is not two numbers"));

    const AircraftRecord& alpha = Record(list, 0);
    EXPECT_STREQ("Alpha", alpha.name);
    EXPECT_STREQ("First", alpha.text);
    EXPECT_EQ(10, alpha.firstRangeStart);
    EXPECT_EQ(20, alpha.firstRangeEnd);
    EXPECT_EQ(0, alpha.secondRangeCount);
    EXPECT_EQ(3u, alpha.flags1);
    EXPECT_EQ(12u, alpha.flags2);

    const AircraftRecord& cut = Record(list, 1);
    EXPECT_EQ(std::string(63, 'n'), std::string(cut.name, strnlen(cut.name, sizeof cut.name)));
    EXPECT_EQ('\0', cut.name[63]);
    EXPECT_EQ(std::string(127, 't'), std::string(cut.text, strnlen(cut.text, sizeof cut.text)));
    EXPECT_EQ(5, cut.firstRangeStart);
    EXPECT_EQ(30, cut.firstRangeEnd);
    EXPECT_EQ(1, cut.secondRangeCount);
    EXPECT_EQ(-4, cut.secondRangeStart);
    EXPECT_EQ(60, cut.secondRangeEnd);

    const AircraftRecord& gamma = Record(list, 2);
    EXPECT_EQ(0, gamma.firstRangeStart);
    EXPECT_EQ(0, gamma.secondRangeCount);

    const int usable[] = {1, 0, 0, 1};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(usable[i], list.IsUsable(i)) << i;
    EXPECT_EQ(0, list.IsUsable(-1));
    EXPECT_EQ(0, list.IsUsable(4));
    void* untouched = &list;
    list.GetRecord(4, &untouched);
    list.GetRecord(-1, &untouched);
    EXPECT_EQ(&list, untouched);
}

TEST_F(TypeListTest, ReloadReadsTheFileAgainAndAMissingFileLeavesTheListEmpty) {
    ASSERT_TRUE(Write("Types.ini", "[A]\nName=Alpha\n"));
    TypeList list("missile", "Types.ini");
    ASSERT_TRUE(list.Load());
    ASSERT_TRUE(Write("Types.ini", "[A]\nName=Alpha\n[B]\nName=Beta\n"));
    list.Reload(-1, 0);
    EXPECT_EQ(2, list.GetCount());
    EXPECT_STREQ("Types.ini", list.GetDataFileName());

    list.SetDataFileName("");  // ignored
    EXPECT_STREQ("Types.ini", list.GetDataFileName());
    list.SetDataFileName(std::string(300, 'x').c_str());
    EXPECT_EQ(259u, strlen(list.GetDataFileName()));
    list.SetDataFileName("Missing.ini");
    EXPECT_FALSE(list.Load());
    EXPECT_EQ(0, list.GetCount());
    EXPECT_TRUE(m_log.HasError("objects: unable to read the missile list Missing.ini")) << m_log.All();
}

TEST(TypeRange, TwoWholeNumbersOnly) {
    const struct {
        const char* text;
        bool ok;
        int32_t start, end;
    } cases[] = {
        {"100,180", true, 100, 180}, {" -5 , +7 ", true, -5, 7}, {"2147483647,-2147483648", true, 2147483647, INT32_MIN},
        {"2147483648,1", false, 0, 0}, {"1,2,3", false, 0, 0}, {"1", false, 0, 0}, {"", false, 0, 0},
        {",1", false, 0, 0}, {"1,", false, 0, 0}, {"a,b", false, 0, 0}, {"1,2x", false, 0, 0}, {"0x10,2", false, 0, 0},
    };
    for (const auto& c : cases) {
        int32_t start = 0, end = 0;
        EXPECT_EQ(c.ok, sample::ParseRange(c.text, &start, &end)) << c.text;
        EXPECT_EQ(c.start, start) << c.text;
        EXPECT_EQ(c.end, end) << c.text;
    }
    int32_t start = 0, end = 0;
    EXPECT_FALSE(sample::ParseRange(nullptr, &start, &end));
}

// An AircraftList.dat of these records (name, low, high, flags).
std::string ListFile(int32_t count, const std::vector<AircraftListFileRecord>& records) {
    std::string bytes(reinterpret_cast<const char*>(&count), 4);
    for (const AircraftListFileRecord& record : records) bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
    return bytes;
}

TEST(AircraftListFile, ReadsExactlyCountRecordsAndRefusesAnythingElse) {
    AircraftListFileRecord kestrel{}, full{};
    strcpy(kestrel.name, "Kestrel trainer");
    kestrel.low = 220;
    kestrel.high = 480;
    kestrel.flags = 5;
    memset(full.name, 'F', sizeof full.name);  // a name that fills its field, unterminated
    full.low = -1;
    std::vector<ListedAircraft> types;
    ASSERT_TRUE(sample::ReadAircraftList(ListFile(2, {kestrel, full}), &types));
    ASSERT_EQ(2u, types.size());
    EXPECT_EQ("Kestrel trainer", types[0].name);
    EXPECT_EQ(220, types[0].low);
    EXPECT_EQ(480, types[0].high);
    EXPECT_EQ(5, types[0].flags);
    EXPECT_EQ(std::string(64, 'F'), types[1].name);
    EXPECT_EQ(-1, types[1].low);
    EXPECT_TRUE(sample::ReadAircraftList(ListFile(0, {}), &types));
    EXPECT_TRUE(types.empty());

    const std::string good = ListFile(2, {kestrel, full});
    const std::string bad[] = {"", "\x01\0\0", good.substr(0, good.size() - 1), good + "x", ListFile(3, {kestrel, full}),
                               ListFile(1, {kestrel, full}), ListFile(-1, {}), ListFile(0x7FFFFFFF, {kestrel})};
    for (const std::string& bytes : bad) {
        types.assign(1, ListedAircraft{});
        EXPECT_FALSE(sample::ReadAircraftList(bytes, &types)) << bytes.size();
        EXPECT_TRUE(types.empty());
    }
}

}  // namespace
