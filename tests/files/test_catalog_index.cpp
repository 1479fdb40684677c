// The name index must give exactly the answer of the rotating scan: the same
// member, the same cursors afterwards, duplicates included.
#include "files/catalog_file.h"
#include "platform/platform.h"
#include "tests/support/catalog_bytes.h"
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

// Eight bytes folded at once must be each byte folded alone, whatever its
// neighbours: every byte value at every position, beside letters and others.
TEST(CatalogIndex, WordFoldingIsTheByteFoldingOfEveryByte) {
    const int fills[] = {'a', 'z', '`', '{', 0xE1, 0x00};
    for (int fill : fills) {
        for (int position = 0; position < 8; ++position) {
            for (int byte = 0; byte < 256; ++byte) {
                uint64_t word = 0, expected = 0;
                for (int k = 0; k < 8; ++k) {
                    const int value = k == position ? byte : fill;
                    word |= static_cast<uint64_t>(value) << (8 * k);
                    expected |= static_cast<uint64_t>(plat::UpperChar(static_cast<unsigned char>(value))) << (8 * k);
                }
                ASSERT_EQ(FoldWord(word), expected) << "byte " << byte << " at " << position << " among " << fill;
            }
        }
    }
}

// Texts of every length up to three words: letter case does not change the
// hash, any other change of any one byte does.
TEST(CatalogIndex, FoldedHashIgnoresCaseAndSeesEveryByte) {
    std::mt19937 random(7);
    for (size_t length = 0; length <= 24; ++length) {
        std::string text;
        for (size_t i = 0; i < length; ++i) text += static_cast<char>('a' + random() % 26);
        std::string upper = text;
        for (char& c : upper) c = static_cast<char>(c - 32);
        const uint32_t hash = FoldedHash(text.data(), length);
        EXPECT_EQ(hash, FoldedHash(upper.data(), length)) << text;
        for (size_t i = 0; i < length; ++i) {
            std::string changed = text;
            changed[i] = '0';
            EXPECT_NE(hash, FoldedHash(changed.data(), length)) << text << " at " << i;
        }
        if (length) {
            EXPECT_NE(hash, FoldedHash(text.data(), length - 1)) << text;
        }
    }
}

// Names and extensions far longer than the room first set aside for them:
// the block grows many times, and every text kept before must move with it.
TEST(CatalogIndex, LongNamesAndExtensionsSurviveTheNameBlockGrowing) {
    std::vector<catalogtest::Member> content;
    std::vector<std::string> extensions;
    for (int i = 0; i < 40; ++i) {
        content.push_back({std::string(250, static_cast<char>('a' + i % 26)) + std::to_string(i) + ".txt", "x"});
        extensions.push_back(std::string(257, 'e') + std::to_string(i % 10));  // 259 bytes with the zero
    }
    extensions.push_back("txt");
    testsupport::ScratchDir dir;
    ASSERT_TRUE(dir.Made());
    ASSERT_TRUE(dir.Write("long.cat", catalogtest::Build(content, extensions, false)));
    CatalogFile catalog;
    ASSERT_TRUE(catalog.Open(dir.File("long.cat").c_str()));
    ASSERT_EQ(catalog.EntryCount(), 40);
    ASSERT_EQ(catalog.ExtensionCount(), 41);
    for (int i = 0; i < 40; ++i) {
        std::string upper = content[i].name;
        for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(catalog.Entry(i)->name, upper);
        EXPECT_EQ(std::string(catalog.Extension(i)), std::string(255, 'E')) << i;  // cut to 255 bytes
    }
    EXPECT_STREQ(catalog.Extension(40), "TXT");
    for (int i = 39; i >= 0; --i) {
        ASSERT_TRUE(catalog.FindMember(content[i].name.c_str(), "TXT"));
        EXPECT_EQ(catalog.EntryCursor(), i);
        EXPECT_EQ(catalog.ExtensionCursor(), 40);
    }
}

// 0x82 0x61 is one double-byte character under code page 932 (Windows): its
// trail byte 'a' keeps its case when stored and compares exactly, so a key
// equal but for that byte's case, in the same group of the index, must not
// match. Under a single-byte code page both bytes are characters of their
// own. Either way the index answers as the scan does.
TEST(CatalogIndex, KeysWithDoubleByteCharactersAnswerAsTheScan) {
    const unsigned saved = plat::GetMultibyteCodePage();
    const bool doubleByte = plat::SetMultibyteCodePage(932) && plat::IsLeadByte(0x82);
    const std::vector<catalogtest::Member> content = {
        {"\x82" "a.txt", "1"}, {"plain.txt", "2"}, {"\x82" "A.txt", "3"}, {"\xE9t\xE9.txt", "4"}};
    testsupport::ScratchDir dir;
    ASSERT_TRUE(dir.Made());
    ASSERT_TRUE(dir.Write("mb.cat", catalogtest::Build(content)));
    CatalogFile indexed, scanned;
    ASSERT_TRUE(indexed.Open(dir.File("mb.cat").c_str()));
    ASSERT_TRUE(scanned.Open(dir.File("mb.cat").c_str()));
    EXPECT_STREQ(indexed.Entry(0)->name, doubleByte ? "\x82" "a.TXT" : "\x82" "A.TXT");
    struct Query {
        const char* key;
        int single, dual;  // the entry found under a single-byte / double-byte code page
    };
    // In turn, each from the cursor the one before left (the last record at first).
    // 0xE9 leads a double-byte character under code page 932 too.
    const Query queries[] = {{"\x82" "a.txt", 0, 0}, {"PLAIN.TXT", 1, 1},      {"\x82" "A.TXT", 2, 2},
                             {"\x82" "a.TXT", 2, 0}, {"\xE9T\xE9.TXT", 3, -1}, {"\xC9T\xC9.TXT", -1, -1}};
    for (const Query& query : queries) {
        const bool a = indexed.FindMember(query.key, "TXT");
        const bool b = scanned.FindMemberByScan(query.key, "TXT");
        EXPECT_EQ(a, b) << query.key;
        EXPECT_EQ(indexed.EntryCursor(), scanned.EntryCursor()) << query.key;
        EXPECT_EQ(indexed.EntryCursor(), doubleByte ? query.dual : query.single) << query.key;
    }
    plat::SetMultibyteCodePage(saved);
}
