// Typed access: getters with defaults and write-back, setters and their pool
// use, enumeration and numbered counting.
#include "files/paths.h"
#include "ini/ini_text.h"
#include "tests/ini/ini_fixture.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using initest::IniTest;
using initest::Native;

namespace {

class IniAccessTest : public IniTest {
protected:
    // A document made from text, with or without defaults written back.
    IniFile& Doc(const std::string& text, int writeBack = 0, int extra = 1000) {
        EXPECT_TRUE(Write("doc.ini", text));
        m_ini.reset(new IniFile("doc.ini", writeBack, 0, extra));
        return *m_ini;
    }
    std::string Saved() {
        EXPECT_TRUE(m_ini->Save());
        return Read("doc.ini");
    }
    std::unique_ptr<IniFile> m_ini;
};

TEST_F(IniAccessTest, GetIntTakesTheLeadingNumberAndTheLastReadDecidesTheSavedForm) {
    IniFile& ini = Doc("[S]\nCount=12abc\nEmpty=\nScale=1.5\n");
    EXPECT_EQ(ini.GetInt("S", "Count", 7), 12);
    EXPECT_EQ(ini.GetInt("S", "Empty", 7), 0);
    EXPECT_EQ(ini.GetInt("S", "Scale", 0), 1);
    EXPECT_EQ(ini.GetInt("S", "Missing", 7), 7);
    EXPECT_EQ(ini.GetInt("Nowhere", "Count", -3), -3);
    EXPECT_EQ(Saved(), Native("[S]\nCount=12\nEmpty=0\nScale=1\n\n"));
}

TEST_F(IniAccessTest, DefaultsAreStoredOnlyWithWriteBack) {
    IniFile& ini = Doc("[S]\nA=1\n", 1);
    EXPECT_FLOAT_EQ(ini.GetFloat("S", "Gamma", 1.5f), 1.5f);
    EXPECT_EQ(ini.GetInt("New", "Width", 640), 640);
    char text[kPathSize];
    EXPECT_EQ(ini.GetString("New", "Name", " Ace ", text, sizeof text, 1), 0);
    EXPECT_STREQ(text, " Ace ");  // the default is returned unchanged, without case change
    EXPECT_EQ(ini.GetHex("New", "Mask", 255u), 255u);
    EXPECT_EQ(Saved(), Native("[S]\nA=1\nGamma=1.500000\n\n[New]\nWidth=640\nName=Ace\nMask=0x000000ff\n\n"));

    IniFile& plain = Doc("[S]\nA=1\n", 0);
    EXPECT_FLOAT_EQ(plain.GetFloat("S", "Gamma", 1.5f), 1.5f);
    EXPECT_EQ(plain.GetBool("S", "Flag", 5), 5);
    EXPECT_FALSE(plain.HasKey("S", "Gamma"));
    EXPECT_EQ(plain.SetWriteBackDefaults(1), 0);
    EXPECT_EQ(plain.GetInt("S", "B", 2), 2);
    EXPECT_EQ(plain.SetWriteBackDefaults(0), 1);
    EXPECT_EQ(Saved(), Native("[S]\nA=1\nB=2\n\n"));
}

TEST_F(IniAccessTest, GetBoolReadsWordsAndNumbers) {
    IniFile& ini = Doc("[W]\nWindowed=TRUE\nwindowed2=true\nOff=False\nTwo=2\nZero=0\nNo=no\nBlank=\n", 1);
    EXPECT_EQ(ini.GetBool("W", "Windowed", 0), 1);
    EXPECT_EQ(ini.GetBool("W", "WINDOWED2", 0), 1);
    EXPECT_EQ(ini.GetBool("W", "Off", 1), 0);
    EXPECT_EQ(ini.GetBool("W", "Two", 0), 1);
    EXPECT_EQ(ini.GetBool("W", "Zero", 1), 0);
    EXPECT_EQ(ini.GetBool("W", "No", 1), 0);
    EXPECT_EQ(ini.GetBool("W", "Blank", 1), 0);
    // A missing key: the default comes back as given, "TRUE" is stored.
    EXPECT_EQ(ini.GetBool("W", "Missing", 5), 5);
    EXPECT_EQ(ini.GetBool("W", "Missing", 0), 1);
    EXPECT_EQ(Saved(), Native("[W]\nWindowed=TRUE\nwindowed2=true\nOff=False\nTwo=TRUE\nZero=FALSE\nNo=FALSE\n"
                              "Blank=FALSE\nMissing=TRUE\n\n"));
}

TEST_F(IniAccessTest, HexTextsFollowTheirPrefix) {
    IniFile& ini = Doc("[H]\nA=0x1F\nB=017\nC=42\nD=-1\nE=0x1FFFFFFFF\nF=0x\nG=0XfF\nH=09\n");
    EXPECT_EQ(ini.GetHex("H", "A", 0), 31u);
    EXPECT_EQ(ini.GetHex("H", "B", 0), 15u);
    EXPECT_EQ(ini.GetHex("H", "C", 0), 42u);
    EXPECT_EQ(ini.GetHex("H", "D", 0), 0xFFFFFFFFu);
    EXPECT_EQ(ini.GetHex("H", "E", 0), 0xFFFFFFFFu);
    EXPECT_EQ(ini.GetHex("H", "F", 9), 0u);
    EXPECT_EQ(ini.GetHex("H", "G", 0), 255u);
    EXPECT_EQ(ini.GetHex("H", "H", 7), 0u);  // octal stops at the 9
    EXPECT_TRUE(ini.SetHex("H", "C", 255));
    EXPECT_STREQ(ini.FindKey("H", "C")->text, "0x000000ff");
    EXPECT_TRUE(ini.SetHex("H", "New", 0xDEADBEEF));
    EXPECT_STREQ(ini.FindKey("H", "New")->text, "0xdeadbeef");
    EXPECT_EQ(ini.GetHex("H", "New", 0), 0xDEADBEEFu);
}

TEST_F(IniAccessTest, SettersStoreOnlyTheirOwnRepresentation) {
    IniFile& ini = Doc("[S]\nX=5\n");
    EXPECT_TRUE(ini.SetString("S", "X", "7"));
    EXPECT_EQ(ini.GetInt("S", "X", 0), 5);  // the integer is not parsed again
    EXPECT_EQ(Saved(), Native("[S]\nX=5\n\n"));

    EXPECT_TRUE(ini.SetFloat("S", "X", 2.25f));
    EXPECT_EQ(ini.FindKey("S", "X")->intValue, 5);
    EXPECT_EQ(Saved(), Native("[S]\nX=2.250000\n\n"));
    EXPECT_TRUE(ini.SetBool("S", "X", 1));
    EXPECT_EQ(ini.GetInt("S", "X", 0), 5);
    EXPECT_TRUE(ini.SetString("S", "X", ""));
    EXPECT_EQ(Saved(), Native("[S]\nX=\n\n"));
    EXPECT_TRUE(ini.SetString("S", "X", "  kept as given "));
    EXPECT_STREQ(ini.FindKey("S", "X")->text, "  kept as given ");
}

TEST_F(IniAccessTest, NewKeysHaveEveryRepresentationAndTrimmedTexts) {
    IniFile& ini = Doc("");
    EXPECT_TRUE(ini.SetInt("A", "I", -12));
    EXPECT_FLOAT_EQ(ini.FindKey("A", "I")->floatValue, -12.0f);
    EXPECT_EQ(ini.FindKey("A", "I")->text, nullptr);
    EXPECT_TRUE(ini.SetFloat("A", "F", -2.75f));
    EXPECT_EQ(ini.FindKey("A", "F")->intValue, -2);
    EXPECT_TRUE(ini.SetFloat("A", "Huge", 1e30f));
    EXPECT_EQ(ini.FindKey("A", "Huge")->intValue, INT32_MAX);
    EXPECT_TRUE(ini.SetFloat("A", "NaN", std::nanf("")));
    EXPECT_EQ(ini.FindKey("A", "NaN")->intValue, 0);
    EXPECT_TRUE(ini.SetString("A", "  S  ", "  3.5 apples "));
    IniKey* key = ini.FindKey("A", "S");
    ASSERT_NE(key, nullptr);
    EXPECT_STREQ(key->text, "3.5 apples");
    EXPECT_EQ(key->intValue, 3);
    EXPECT_FLOAT_EQ(key->floatValue, 3.5f);
    EXPECT_TRUE(ini.SetBool("A", "B", 0));
    EXPECT_STREQ(ini.FindKey("A", "B")->text, "FALSE");
    EXPECT_TRUE(ini.SetString("A", "E", ""));
    EXPECT_EQ(ini.FindKey("A", "E")->text, nullptr);
    ini.DeleteKey("A", "NaN");
    EXPECT_FALSE(ini.HasKey("A", "NaN"));
    EXPECT_EQ(Saved(), Native("[A]\nI=-12\nF=-2.750000\nHuge=1000000015047466219876688855040.000000\n"
                              "S=3.5 apples\nB=FALSE\nE=\n\n"));
}

TEST_F(IniAccessTest, GetStringCopiesWithinTheDestinationAndAppliesCase) {
    IniFile& ini = Doc("[S]\nName=Mixed Case\n", 1);
    char text[kPathSize];
    EXPECT_EQ(ini.GetString("S", "Name", "", text, sizeof text, 1), 1);
    EXPECT_STREQ(text, "MIXED CASE");
    EXPECT_EQ(ini.GetString("S", "Name", "", text, sizeof text, 2), 1);
    EXPECT_STREQ(text, "mixed case");
    char small[4] = {'x', 'x', 'x', 'x'};
    ini.GetString("S", "Name", "", small, sizeof small, 0);
    EXPECT_STREQ(small, "Mix");
    // A null destination only answers whether the key exists, even with write-back.
    EXPECT_EQ(ini.GetString("S", "Name", "", nullptr, 0, 0), 1);
    EXPECT_EQ(ini.GetString("S", "Other", "d", nullptr, 0, 0), 0);
    EXPECT_FALSE(ini.HasKey("S", "Other"));
    ini.FindKey("S", "Name")->type = kIniInteger;
    ini.GetString("S", "Name", "", text, sizeof text, 0);
    EXPECT_EQ(ini.FindKey("S", "Name")->type, kIniString);
}

TEST_F(IniAccessTest, KeysThatCouldNeverBeFoundAreNotStored) {
    IniFile& ini = Doc("", 1);
    EXPECT_FALSE(ini.SetInt("", "K", 1));
    EXPECT_FALSE(ini.SetInt(nullptr, "K", 1));
    EXPECT_FALSE(ini.SetString("S", "", "v"));
    EXPECT_FALSE(ini.SetBool("S", " \t ", 1));
    EXPECT_EQ(ini.GetInt("S", "", 4), 4);
    EXPECT_EQ(ini.SectionCount(), 0);
    EXPECT_EQ(ini.PoolUsedBytes(), 0);
    EXPECT_FALSE(ini.AddKey("S", nullptr));
    EXPECT_EQ(ini.SectionCount(), 0);
}

TEST_F(IniAccessTest, SetterPoolFailuresReportTheirMessages) {
    // 8 bytes of text and its zero, 12 to spare, one always kept free.
    IniFile& ini = Doc("[S]\nA=1\n", 0, 12);
    EXPECT_FALSE(ini.SetString("S", "A", "twelve bytes"));
    EXPECT_TRUE(m_log.HasError("Unable to append string twelve bytes to the buffer!"));
    EXPECT_TRUE(ini.SetString("Sec", "K", "v"));  // "v", "K" and "Sec": 2 + 2 + 4 bytes
    EXPECT_FALSE(ini.SetFloat("S", "Bee", 1.0f));
    EXPECT_TRUE(m_log.HasError("Unable to append string Bee to the buffer!"));
    EXPECT_TRUE(ini.SetFloat("S", "B", 1.0f));  // exactly the last bytes
    EXPECT_EQ(ini.SectionCount(), 2);
}

TEST_F(IniAccessTest, AddKeyMakesTheSectionAndReportsAFullPool) {
    IniFile& ini = Doc("", 0, 4);
    IniKey* key = ini.MakeKey(nullptr);
    ASSERT_NE(key, nullptr);
    EXPECT_FALSE(ini.AddKey("TooLong", key));
    EXPECT_TRUE(m_log.HasError("Unable to append string TooLong to the buffer!"));
    EXPECT_TRUE(ini.AddKey("S", key));
    EXPECT_EQ(ini.KeyCount("S"), 1);
}

TEST_F(IniAccessTest, EnumerationWalksSectionsAndKeysInOrder) {
    IniFile& ini = Doc("[One]\nA=1\nB=2\n[Two]\nC=3\n[Three]\n");
    EXPECT_EQ(ini.SectionCount(), 3);
    char name[kPathSize] = "unchanged";
    ini.RewindSections();
    EXPECT_EQ(ini.CurrentSectionIndex(), 0);
    ini.NextSection();
    ini.CurrentSectionName(name, sizeof name);
    EXPECT_STREQ(name, "Two");
    EXPECT_EQ(ini.CurrentSectionIndex(), 1);
    ini.NextSection();
    ini.NextSection();
    EXPECT_EQ(ini.CurrentSectionIndex(), -1);
    strcpy(name, "unchanged");
    ini.CurrentSectionName(name, sizeof name);
    EXPECT_STREQ(name, "unchanged");
    ini.NextSection();  // no effect without a position
    EXPECT_EQ(ini.CurrentSectionIndex(), -1);

    EXPECT_EQ(ini.KeyCount("one"), 2);
    EXPECT_EQ(ini.KeyCount("Three"), 0);
    EXPECT_EQ(ini.KeyCount("Four"), 0);
    ini.RewindKeys("One");
    ini.NextKey("One");
    ini.CurrentKeyName("One", name, sizeof name);
    EXPECT_STREQ(name, "B");
    ini.NextKey("One");
    strcpy(name, "unchanged");
    ini.CurrentKeyName("One", name, sizeof name);
    EXPECT_STREQ(name, "unchanged");
    // A look-up by name moves the section position.
    ini.RewindSections();
    EXPECT_TRUE(ini.HasSection("Three"));
    EXPECT_EQ(ini.CurrentSectionIndex(), 2);
    EXPECT_FALSE(ini.HasSection("Four"));
    EXPECT_EQ(ini.CurrentSectionIndex(), -1);
    ini.RewindSections();
    EXPECT_FALSE(ini.HasSection(""));  // an empty name leaves the position alone
    EXPECT_EQ(ini.CurrentSectionIndex(), 0);
}

TEST_F(IniAccessTest, NumberedEntriesCountUpToTheFirstGap) {
    IniFile& ini = Doc("[Movies]\nMovie001=a\nMovie002=b\nMovie004=d\n"
                       "[Level1]\n[Level2]\n[Level3]\n[Level5]\n[Flat]\nMovie=x\n");
    EXPECT_EQ(ini.CountNumberedKeys("Movies", "Movie%03d"), 2);
    EXPECT_EQ(ini.CountNumberedKeys("Movies", "Film%d"), 0);
    EXPECT_EQ(ini.CountNumberedKeys("Absent", "Movie%03d"), 0);
    EXPECT_EQ(ini.CountNumberedSections("level%d"), 3);
    // A format that ignores its number cannot count past the entries there are.
    EXPECT_EQ(ini.CountNumberedKeys("Flat", "Movie"), 1);
    EXPECT_EQ(ini.CountNumberedSections(""), 0);
    IniSection* movies = ini.FindSection("Movies");
    ASSERT_NE(movies, nullptr);
    EXPECT_EQ(movies->CountNumberedKeys("Movie%03d"), 2);
}

TEST_F(IniAccessTest, DeleteAndRenameChangeTheDocument) {
    IniFile& ini = Doc("[A]\nX=1\nY=2\n[B]\nZ=3\n");
    ini.DeleteKey("A", "x");
    EXPECT_FALSE(ini.HasKey("A", "X"));
    EXPECT_TRUE(ini.HasKey("A", "Y"));
    ini.DeleteKey("A", "Missing");
    ini.DeleteKey("Missing", "Y");
    EXPECT_EQ(ini.KeyCount("A"), 1);
    char* renamed = ini.RenameSection("B", "Bee");
    ASSERT_NE(renamed, nullptr);
    EXPECT_STREQ(renamed, "Bee");
    EXPECT_FALSE(ini.HasSection("B"));
    EXPECT_EQ(ini.GetInt("bee", "Z", 0), 3);
    EXPECT_EQ(ini.RenameSection("Missing", "C"), nullptr);
    ini.DeleteSection("A");
    EXPECT_EQ(ini.SectionCount(), 1);
    EXPECT_EQ(Saved(), Native("[Bee]\nZ=3\n\n"));
}

}  // namespace

// Reading a key's value converts it once for both representations: the answer
// must be that of the two conversions, for the common values and the rest.
TEST(IniParseNumbers, AgreesWithTheIntegerAndFloatConversions) {
    std::vector<std::string> texts = {"0", "-0", "+0", "7", "-7", " \t42", "007", "123456789", "-123456789",
                                      "999999999", "1000000000", "2147483647", "2147483648", "-2147483649",
                                      "99999999999999999999", "12abc", "12.5", "-0.75", ".5", "-.5", ".", "-", "+",
                                      "", "x", "-x", "TRUE", "0x1F", "-0x1F", "0X", "1e3", "12E2", "5 e", "16777217",
                                      "16777219", "-16777217", "3.", "1 2", "12\r", "0007.5"};
    uint32_t seed = 99;
    for (int i = 0; i < 2000; ++i) {  // short texts of the characters that matter
        const char alphabet[] = "0123456789-+.eExX a";
        std::string text;
        for (int n = static_cast<int>(seed % 12); n > 0; --n) {
            seed = seed * 1103515245u + 12345u;
            text += alphabet[(seed >> 16) % (sizeof alphabet - 1)];
        }
        seed = seed * 1103515245u + 12345u;
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        int32_t intValue = -1;
        float floatValue = -1.0f;
        IniParseNumbers(text.c_str(), &intValue, &floatValue);
        EXPECT_EQ(intValue, IniParseInt(text.c_str())) << "'" << text << "'";
        const float expected = IniParseFloat(text.c_str());
        EXPECT_TRUE(memcmp(&floatValue, &expected, sizeof expected) == 0)  // bit for bit: -0 is not 0
            << "'" << text << "': " << floatValue << " against " << expected;
    }
}
