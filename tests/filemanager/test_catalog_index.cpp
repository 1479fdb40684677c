// The name index must give exactly the answer of the rotating scan: the same
// member, the same cursors afterwards, duplicates included.
#include "files/catalog_file.h"
#include "tests/filemanager/catalog_bytes.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>
#include <vector>

namespace {

std::string RandomCase(std::mt19937& random, std::string text) {
    for (char& c : text) {
        if (random() & 1) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string ExtensionOf(const std::string& name) {
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? "" : name.substr(dot + 1);
}

void CompareOn(unsigned seed, int members, int distinctNames, int queries) {
    std::mt19937 random(seed);
    const char* extensions[] = {"TXT", "INI", "TGA", "WAV", "DAT"};
    std::vector<std::string> names;
    for (int i = 0; i < distinctNames; ++i) {
        std::string base = "N" + std::to_string(random() % 100000);
        names.push_back(base + "." + extensions[random() % 5]);
    }
    std::vector<catalogtest::Member> content;
    for (int i = 0; i < members; ++i) {
        // Many duplicates, stored in any letter case.
        content.push_back({RandomCase(random, names[random() % names.size()]), std::string(random() % 5, 'x')});
    }
    // The extension table leaves one extension out and repeats another.
    std::string bytes = catalogtest::Build(content, {"txt", "INI", "tga", "DAT", "TXT"}, false);
    testsupport::ScratchDir dir;
    ASSERT_TRUE(dir.Made());
    ASSERT_TRUE(dir.Write("index.cat", bytes));
    std::string file = dir.File("index.cat");
    CatalogFile indexed, scanned;
    ASSERT_TRUE(indexed.Open(file.c_str()));
    ASSERT_TRUE(scanned.Open(file.c_str()));
    for (int q = 0; q < queries; ++q) {
        std::string key;
        switch (random() % 6) {
        case 0: key = "MISSING" + std::to_string(random() % 50) + ".TXT"; break;
        case 1: key = "N" + std::to_string(random() % 100000) + ".WAV"; break;  // extension not in the table
        case 2: key = ""; break;
        default: key = RandomCase(random, names[random() % names.size()]); break;
        }
        std::string extension = ExtensionOf(key);
        if (random() % 20 == 0) extension = "";
        bool a = indexed.FindMember(key.c_str(), extension.c_str());
        bool b = scanned.FindMemberByScan(key.c_str(), extension.c_str());
        ASSERT_EQ(a, b) << "query " << q << " key " << key;
        ASSERT_EQ(indexed.EntryCursor(), scanned.EntryCursor()) << "query " << q << " key " << key;
        ASSERT_EQ(indexed.ExtensionCursor(), scanned.ExtensionCursor()) << "query " << q;
        ASSERT_EQ(indexed.FindMemberSize(), scanned.FindMemberSize());
    }
}

}  // namespace

TEST(CatalogIndex, GivesTheRotatingScansAnswerAndCursor) {
    CompareOn(1, 50, 10, 5000);      // few names: long runs of duplicates
    CompareOn(2, 3000, 700, 20000);  // many names, some duplicated
    CompareOn(3, 1, 1, 200);
}

TEST(CatalogIndex, RepeatedLookUpsWalkTheDuplicatesInTableOrder) {
    std::vector<catalogtest::Member> content = {
        {"a.txt", "0"}, {"dup.txt", "1"}, {"b.txt", "2"}, {"DUP.TXT", "3"}, {"c.txt", "4"}, {"Dup.Txt", "5"}};
    testsupport::ScratchDir dir;
    ASSERT_TRUE(dir.Made());
    ASSERT_TRUE(dir.Write("dup.cat", catalogtest::Build(content)));
    CatalogFile catalog;
    ASSERT_TRUE(catalog.Open(dir.File("dup.cat").c_str()));
    // The cursor starts on the last record (5), itself a duplicate.
    const int expected[] = {5, 5, 5};
    for (int want : expected) {
        ASSERT_TRUE(catalog.FindMember("DUP.TXT", "TXT"));
        EXPECT_EQ(catalog.EntryCursor(), want);
    }
    ASSERT_TRUE(catalog.FindMember("C.TXT", "TXT"));  // cursor 4: the next duplicate is 5
    ASSERT_TRUE(catalog.FindMember("DUP.TXT", "TXT"));
    EXPECT_EQ(catalog.EntryCursor(), 5);
    ASSERT_TRUE(catalog.FindMember("B.TXT", "TXT"));  // cursor 2: the next duplicate is 3
    ASSERT_TRUE(catalog.FindMember("DUP.TXT", "TXT"));
    EXPECT_EQ(catalog.EntryCursor(), 3);
    ASSERT_FALSE(catalog.FindMember("NONE.TXT", "TXT"));  // cursor -1: from the start
    ASSERT_TRUE(catalog.FindMember("DUP.TXT", "TXT"));
    EXPECT_EQ(catalog.EntryCursor(), 1);
}

// A table holding as many distinct names as its size allows for: a miss
// must still end, and every name is found where it is.
TEST(CatalogIndex, PowerOfTwoCountsOfDistinctNamesAnswerAMiss) {
    for (int count : {8, 16, 64}) {
        SCOPED_TRACE(count);
        std::vector<catalogtest::Member> content;
        for (int i = 0; i < count; ++i) content.push_back({"F" + std::to_string(i) + ".TXT", "x"});
        testsupport::ScratchDir dir;
        ASSERT_TRUE(dir.Made());
        ASSERT_TRUE(dir.Write("full.cat", catalogtest::Build(content)));
        CatalogFile catalog;
        ASSERT_TRUE(catalog.Open(dir.File("full.cat").c_str()));
        EXPECT_FALSE(catalog.FindMember("ABSENT.TXT", "TXT"));
        for (int i = count - 1; i >= 0; --i) {
            ASSERT_TRUE(catalog.FindMember(("f" + std::to_string(i) + ".txt").c_str(), "TXT"));
            EXPECT_EQ(catalog.EntryCursor(), i);
        }
    }
}
