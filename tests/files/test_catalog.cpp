// The catalog reader: format, malformed files, look-up rules and member I/O.
#include "files/catalog_file.h"
#include "platform/platform.h"
#include "tests/support/catalog_bytes.h"
#include "tests/support/log_recorder.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <string>

using catalogtest::Build;
using catalogtest::Header;
using testsupport::LogRecorder;
using catalogtest::Pattern;
using catalogtest::Put32;
using catalogtest::PutText;

namespace {

class CatalogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.Made()); }

    std::string Write(const std::string& name, const std::string& bytes) {
        EXPECT_TRUE(m_dir.Write(name, bytes));
        return m_dir.File(name);
    }

    // Opens bytes as a catalog; the result of Open.
    bool OpenBytes(CatalogFile& catalog, const std::string& bytes, std::string* path = nullptr) {
        std::string file = Write("test.cat", bytes);
        if (path) *path = file;
        return catalog.Open(file.c_str());
    }

    testsupport::ScratchDir m_dir;
};

// The header of a catalog with records at 100, 150 and 400 and dataSize 450.
std::string SpacedCatalog() {
    std::string bytes = Header("CAT", 3, 1, 450);
    Put32(bytes, 100);
    PutText(bytes, "a.dat");
    Put32(bytes, 150);
    PutText(bytes, "b.dat");
    Put32(bytes, 400);
    PutText(bytes, "c.dat");
    PutText(bytes, "dat");
    bytes.resize(550, 'x');
    return bytes;
}

}  // namespace

TEST_F(CatalogTest, SignatureIsComparedUpToItsZeroByteIgnoringCase) {
    std::string lower = Build({{"a.txt", "hello"}});
    lower.replace(0, 4, std::string("cat\0", 4));
    lower[5] = 'Z';  // bytes after the zero are not examined
    CatalogFile accepted;
    EXPECT_TRUE(OpenBytes(accepted, lower));

    LogRecorder log;
    std::string path;
    std::string longer = Build({{"a.txt", "hello"}});
    longer[3] = 'S';  // "CATS"
    CatalogFile rejected;
    EXPECT_FALSE(OpenBytes(rejected, longer, &path));
    EXPECT_TRUE(log.HasError(path + " is not a catalog file!"));
    EXPECT_FALSE(rejected.IsOpen());

    // Sixteen signature bytes without any zero are not "CAT" either.
    std::string full = Build({{"a.txt", "hello"}});
    full.replace(0, 16, "CAT" + std::string(13, ' '));
    CatalogFile unterminated;
    EXPECT_FALSE(OpenBytes(unterminated, full));
}

TEST_F(CatalogTest, SizesFollowFromConsecutiveOffsetsAndDataSize) {
    CatalogFile catalog;
    ASSERT_TRUE(OpenBytes(catalog, SpacedCatalog()));
    ASSERT_EQ(catalog.EntryCount(), 3);
    EXPECT_EQ(catalog.Entry(0)->size, 50u);
    EXPECT_EQ(catalog.Entry(1)->size, 250u);
    EXPECT_EQ(catalog.Entry(2)->size, 150u);
    EXPECT_EQ(catalog.Header().dataSize, 450u);
    EXPECT_EQ(catalog.PositionOwner(), -1);
}

TEST_F(CatalogTest, NamesAndExtensionsAreUpperCasedAndEndInsideTheirBuffers) {
    // A name of 259 bytes and an extension of 259 bytes, neither with a zero
    // byte, each followed by a short one without its zero byte: the short ones
    // must not pick up the tail of the long ones.
    std::string longName(255, 'n');
    longName += ".ext";
    std::string longExtension(259, 'e');
    std::string bytes = Header("CAT", 3, 3, 12);
    uint32_t dataStart = 28 + (8 + 11) + (8 + 259) + (8 + 5) + (4 + 4) + (4 + 259) + (4 + 2);
    Put32(bytes, dataStart);
    PutText(bytes, "button.tga");
    Put32(bytes, dataStart + 4);
    Put32(bytes, 259);
    bytes += longName;
    Put32(bytes, dataStart + 8);
    Put32(bytes, 5);
    bytes += "b.tga";
    PutText(bytes, "tga");
    Put32(bytes, 259);
    bytes += longExtension;
    Put32(bytes, 2);
    bytes += "ab";
    bytes += "datadatadata";
    CatalogFile catalog;
    ASSERT_TRUE(OpenBytes(catalog, bytes));
    EXPECT_STREQ(catalog.Entry(0)->name, "BUTTON.TGA");
    EXPECT_EQ(std::string(catalog.Entry(1)->name), std::string(255, 'N') + ".EXT");
    EXPECT_STREQ(catalog.Entry(2)->name, "B.TGA");
    EXPECT_EQ(catalog.Entry(2)->size, 4u);
    EXPECT_STREQ(catalog.Extension(0), "TGA");
    EXPECT_EQ(std::string(catalog.Extension(1)), std::string(255, 'E'));  // cut to 255 bytes
    EXPECT_STREQ(catalog.Extension(2), "AB");
}

TEST_F(CatalogTest, MalformedCatalogsFailWithTheirMessageAndKeepNothing) {
    struct Case {
        const char* what;
        std::string bytes;
        std::string message;  // after the path
    };
    std::string good = Build({{"a.txt", "12345"}, {"b.txt", "67890"}});
    std::string counts = Header("CAT", 5, 1, 10);  // five records announced, two present
    Put32(counts, 100);
    PutText(counts, "a.txt");
    Put32(counts, 105);
    PutText(counts, "b.txt");
    std::string nameLength = Header("CAT", 1, 1, 1);
    Put32(nameLength, 100);
    Put32(nameLength, 260);
    nameLength += std::string(300, 'x');
    std::string extensionLength = Header("CAT", 1, 1, 1);
    Put32(extensionLength, 50);
    PutText(extensionLength, "a.txt");
    Put32(extensionLength, 260);
    extensionLength += std::string(300, 'x');
    std::string shortExtension = Header("CAT", 1, 1, 1);
    Put32(shortExtension, 50);
    PutText(shortExtension, "a.txt");
    Put32(shortExtension, 10);
    shortExtension += "tx";
    std::string order = Header("CAT", 2, 1, 10);
    Put32(order, 60);
    PutText(order, "a.txt");
    Put32(order, 50);
    PutText(order, "b.txt");
    PutText(order, "txt");
    order.resize(80, 'd');
    std::string pastEnd = Header("CAT", 1, 1, 1000);
    Put32(pastEnd, 50);
    PutText(pastEnd, "a.txt");
    PutText(pastEnd, "txt");
    pastEnd.resize(60, 'd');
    std::string shortData = Header("CAT", 2, 1, 5);  // dataSize smaller than the last offset's distance
    Put32(shortData, 60);
    PutText(shortData, "a.txt");
    Put32(shortData, 70);
    PutText(shortData, "b.txt");
    PutText(shortData, "txt");
    shortData.resize(90, 'd');
    std::string hugeCount = Header("CAT", 70000, 0, 0);

    const Case cases[] = {
        {"truncated header", good.substr(0, 20), "Error reading CatalogHeader for %!"},
        {"counts larger than the file", counts, "Error while reading catalog %: unable to read filename 2!"},
        {"name length 260", nameLength, "Error while reading catalog %: invalid filename length 260!"},
        {"extension length 260", extensionLength, "Error while reading catalog %: invalid extension length 260!"},
        {"extension cut short", shortExtension, "Error while reading catalog %: unable to read extension 0!"},
        {"offsets out of order", order, "Error while reading catalog %: offset of file 1 is out of order!"},
        {"data past the end", pastEnd, "Error while reading catalog %: file 0 ends past the end of the catalog!"},
        {"data size too small", shortData, "Error while reading catalog %: invalid data size 5!"},
        {"more files than a table holds", hugeCount, "Unable to append new file header to the header list!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LogRecorder log;
        CatalogFile catalog;
        std::string path;
        EXPECT_FALSE(OpenBytes(catalog, c.bytes, &path));
        std::string expected = c.message;
        size_t mark = expected.find('%');
        if (mark != std::string::npos) expected.replace(mark, 1, path);
        EXPECT_TRUE(log.HasError(expected)) << log.All();
        EXPECT_FALSE(catalog.IsOpen());
        EXPECT_EQ(catalog.EntryCount(), 0);
        EXPECT_EQ(catalog.ExtensionCount(), 0);
        EXPECT_FALSE(catalog.FindMember("A.TXT", "TXT"));
    }
}

TEST_F(CatalogTest, MissingAndOverlongPathsAreRefused) {
    LogRecorder log;
    CatalogFile catalog;
    std::string missing = m_dir.File("none.cat");
    EXPECT_FALSE(catalog.Open(missing.c_str()));
    EXPECT_TRUE(log.HasError("Unable to open catalog file " + missing + "!"));
    // A path of 260 bytes would be kept cut to 259, under another identity.
    std::string file = Write("x.cat", Build({{"a.txt", "1"}}));
    std::string overlong = file;
    while (overlong.size() < 260) overlong.insert(overlong.size() - 5, ".\\");
#ifndef _WIN32
    ASSERT_TRUE(plat::FileIsPlain(overlong.c_str()));  // the whole path names the file
#endif
    EXPECT_FALSE(catalog.Open(overlong.c_str()));
    EXPECT_FALSE(catalog.IsOpen());
}

TEST_F(CatalogTest, LookUpConsultsTheExtensionTableAndIgnoresCase) {
    // BUTTON.TGA is present but "TGA" is missing from the extension table.
    CatalogFile catalog;
    ASSERT_TRUE(OpenBytes(catalog, Build({{"button.tga", "img"}, {"menu.ini", "ini"}, {"readme", "txt"}}, {"INI"})));
    EXPECT_FALSE(catalog.FindMember("BUTTON.TGA", "TGA"));
    EXPECT_EQ(catalog.ExtensionCursor(), -1);
    EXPECT_TRUE(catalog.FindMember("Menu.Ini", "ini"));
    EXPECT_EQ(catalog.EntryCursor(), 1);
    EXPECT_EQ(catalog.FindMemberSize(), 3u);
    // Names without an extension are never found, even when present.
    EXPECT_FALSE(catalog.FindMember("README", ""));
    EXPECT_EQ(catalog.EntryCursor(), 1);  // an empty key leaves the cursor alone
    // A miss of the name clears the cursor.
    EXPECT_FALSE(catalog.FindMember("OTHER.INI", "INI"));
    EXPECT_EQ(catalog.EntryCursor(), -1);
}

TEST_F(CatalogTest, RotatingLookUpLeavesTheCursorOnTheHitAndFindsTheNextDuplicate) {
    CatalogFile catalog;
    ASSERT_TRUE(OpenBytes(catalog, Build({{"a.txt", "1"}, {"dup.txt", "22"}, {"b.txt", "3"}, {"DUP.TXT", "4444"}})));
    EXPECT_EQ(catalog.EntryCursor(), 3);  // reading leaves the cursor on the last record
    ASSERT_TRUE(catalog.FindMember("DUP.TXT", "TXT"));
    EXPECT_EQ(catalog.EntryCursor(), 3);  // found from the cursor on
    EXPECT_EQ(catalog.FindMemberSize(), 4u);
    ASSERT_TRUE(catalog.FindMember("A.TXT", "TXT"));
    EXPECT_EQ(catalog.EntryCursor(), 0);
    ASSERT_TRUE(catalog.FindMember("DUP.TXT", "TXT"));
    EXPECT_EQ(catalog.EntryCursor(), 1);
    EXPECT_EQ(catalog.FindMemberSize(), 2u);
}

TEST_F(CatalogTest, MembersReadAlternatelyEachGetTheirOwnBytes) {
    std::string first = Pattern("first-", 300);
    std::string second = Pattern("SECOND+", 200);
    CatalogFile catalog;
    ASSERT_TRUE(OpenBytes(catalog, Build({{"one.dat", first}, {"two.dat", second}})));
    FileHandleRecord a = {}, b = {};
    ASSERT_TRUE(catalog.FindMember("ONE.DAT", "DAT"));
    ASSERT_TRUE(catalog.OpenMember(65536, &a));
    ASSERT_TRUE(catalog.FindMember("TWO.DAT", "DAT"));
    ASSERT_TRUE(catalog.OpenMember(131072, &b));
    EXPECT_EQ(catalog.OpenFileCount(), 2);
    std::string gotA, gotB;
    char buffer[64];
    for (;;) {
        int na = catalog.ReadMember(&a, buffer, 37);
        if (na > 0) gotA.append(buffer, static_cast<size_t>(na));
        int nb = catalog.ReadMember(&b, buffer, 23);
        if (nb > 0) gotB.append(buffer, static_cast<size_t>(nb));
        if (na <= 0 && nb <= 0) break;
    }
    EXPECT_EQ(gotA, first);
    EXPECT_EQ(gotB, second);
    catalog.CloseMember(&a);
    catalog.CloseMember(&b);
    EXPECT_EQ(catalog.OpenFileCount(), 0);
}

TEST_F(CatalogTest, ReadsStopAtTheMembersEnd) {
    std::string data = Pattern("0123456789", 50);
    CatalogFile catalog;
    ASSERT_TRUE(OpenBytes(catalog, Build({{"a.bin", data}, {"b.bin", "NEXT-MEMBER"}})));
    FileHandleRecord record = {};
    ASSERT_TRUE(catalog.OpenMemberAt(0, 65536, &record));
    char buffer[200];
    EXPECT_EQ(catalog.ReadMember(&record, buffer, sizeof buffer), 50);
    EXPECT_EQ(std::string(buffer, 50), data);
    EXPECT_EQ(catalog.ReadMember(&record, buffer, sizeof buffer), 0);  // at the end
    EXPECT_EQ(record.position, record.start + 50);
}

TEST_F(CatalogTest, SeeksAreAbsoluteAndStayInsideTheMembersRange) {
    std::string data = Pattern("abcdefghij", 100);
    CatalogFile catalog;
    ASSERT_TRUE(OpenBytes(catalog, Build({{"a.bin", "leading"}, {"b.bin", data}})));
    FileHandleRecord record = {};
    ASSERT_TRUE(catalog.OpenMemberAt(1, 65536, &record));
    const int32_t start = static_cast<int32_t>(record.start);
    EXPECT_EQ(catalog.SeekMember(&record, 10, plat::SeekSet), start + 10);
    EXPECT_EQ(catalog.SeekMember(&record, 5, plat::SeekCur), start + 15);
    char c = 0;
    EXPECT_EQ(catalog.ReadMember(&record, &c, 1), 1);
    EXPECT_EQ(c, data[15]);
    // From the end: the last byte.
    EXPECT_EQ(catalog.SeekMember(&record, -1, plat::SeekEnd), start + 99);
    EXPECT_EQ(catalog.ReadMember(&record, &c, 1), 1);
    EXPECT_EQ(c, data[99]);
    // Before the member's start: refused, position kept (the previous member stays unreadable).
    EXPECT_EQ(catalog.SeekMember(&record, -1, plat::SeekSet), -1);
    EXPECT_EQ(catalog.SeekMember(&record, -200, plat::SeekCur), -1);
    EXPECT_EQ(record.position, static_cast<uint32_t>(start + 100));
    EXPECT_EQ(catalog.SeekMember(&record, 0, 7), -1);
    // Past the end is allowed, and reads nothing there.
    EXPECT_EQ(catalog.SeekMember(&record, 20, plat::SeekEnd), start + 120);
    EXPECT_EQ(catalog.ReadMember(&record, &c, 1), 0);
}

TEST_F(CatalogTest, TheRawDescriptorIsTheCatalogsOwnAndLeavesMembersAlone) {
    std::string data = Pattern("member", 64);
    CatalogFile catalog;
    std::string path;
    ASSERT_TRUE(OpenBytes(catalog, Build({{"a.bin", data}}), &path));
    FileHandleRecord record = {};
    ASSERT_TRUE(catalog.OpenMemberAt(0, 65536, &record));
    char buffer[16];
    ASSERT_EQ(catalog.ReadMember(&record, buffer, 8), 8);
    int raw = catalog.RawDescriptor();
    ASSERT_GE(raw, 0);
    EXPECT_NE(raw, catalog.Descriptor());
    EXPECT_EQ(catalog.RawDescriptor(), raw);  // one per catalog
    // The client reads the catalog file from its start.
    char head[4];
    ASSERT_EQ(plat::FileRead(raw, head, 4), 4);
    EXPECT_EQ(std::string(head, 3), "CAT");
    ASSERT_EQ(catalog.ReadMember(&record, buffer, 8), 8);
    EXPECT_EQ(std::string(buffer, 8), data.substr(8, 8));
}
