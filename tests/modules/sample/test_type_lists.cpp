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

// A record's fields as one text; the name and text end inside their fields.
std::string Fields(const AircraftRecord& r) {
    return std::string(r.name, strnlen(r.name, sizeof r.name)) + "|" + std::string(r.text, strnlen(r.text, sizeof r.text)) +
           "|" + std::to_string(r.firstRangeStart) + "," + std::to_string(r.firstRangeEnd) + "|" +
           std::to_string(r.secondRangeCount) + ":" + std::to_string(r.secondRangeStart) + "," +
           std::to_string(r.secondRangeEnd) + "|" + std::to_string(r.flags1) + "," + std::to_string(r.flags2);
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

    EXPECT_EQ(Fields(Record(list, 0)), "Alpha|First|10,20|0:0,0|3,12");
    EXPECT_EQ(Fields(Record(list, 1)), std::string(63, 'n') + "|" + std::string(127, 't') + "|5,30|1:-4,60|0,0");
    EXPECT_EQ(Fields(Record(list, 2)), "Gamma||0,0|0:0,0|0,0");

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
    std::vector<std::string> read;
    for (const ListedAircraft& type : types)
        read.push_back(type.name + "|" + std::to_string(type.low) + "," + std::to_string(type.high) + "|" +
                       std::to_string(type.flags));
    EXPECT_EQ(read, (std::vector<std::string>{"Kestrel trainer|220,480|5", std::string(64, 'F') + "|-1,0|0"}));
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
