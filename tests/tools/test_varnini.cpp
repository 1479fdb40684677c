// varnini run as a process: save, get, set, defaults, catalogs and bad usage.
#include "tests/support/catalog_bytes.h"
#include "tests/support/tool_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

#ifdef _WIN32
const char kEol[] = "\r\n";
#else
const char kEol[] = "\n";
#endif

std::string Native(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string(kEol) : std::string(1, c);
    return out;
}

using testsupport::Quote;
using testsupport::ToolResult;

class VarniniTest : public testsupport::ToolTest {
protected:
    VarniniTest() : ToolTest(VARNINI_PATH) {}
};

TEST_F(VarniniTest, SaveRewritesAFileInTheSystemsFormat) {
    ASSERT_TRUE(m_dir.Write("in.ini", "; comment\n[A]\n  X = 1 \nX=2\n#include gone.ini\n[B]\nY=two words\n"));
    ToolResult result = Run("save " + File("in.ini") + " " + File("out.ini"));
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(Contents("out.ini"), Native("[A]\nX=1\n\n[B]\nY=two words\n\n"));

    result = Run("save " + File("absent.ini") + " " + File("out2.ini"));
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.err.find("cannot load"), std::string::npos) << result.err;
    EXPECT_EQ(Contents("out2.ini"), "");
}

TEST_F(VarniniTest, SaveAndGetReadThroughRootAndCatalogs) {
    std::string catalog = catalogtest::Build({{"MENU.INI", "[Menu]\nTitle=Main Menu\nItems=4\n"}});
    ASSERT_TRUE(m_dir.Write("Data.cat", catalog));
    ToolResult result = Run("get --catalog " + File("Data.cat") + " \"Menu\\Menu.ini\" Menu Title --case upper");
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out, Native("MAIN MENU\n"));
    result = Run("save --root " + Quote(Host(m_dir.Path())) + " --catalog " + File("Data.cat") + " menu.ini " + File("menu_out"));
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(Contents("menu_out.INI"), Native("[Menu]\nTitle=Main Menu\nItems=4\n\n"));
    result = Run("get --catalog " + File("Missing.cat") + " menu.ini Menu Title");
    EXPECT_EQ(result.code, 1);
}

TEST_F(VarniniTest, GetPrintsWhatEachGetterReturns) {
    ASSERT_TRUE(m_dir.Write("g.ini", "[S]\nCount=12abc\nScale=1.5\nFlag=yes\nTwo=2\nMask=0x1F\nName=Mixed\n"));
    const std::string file = File("g.ini");
    EXPECT_EQ(Run("get " + file + " S Count --type int").out, Native("12\n"));
    EXPECT_EQ(Run("get " + file + " S Scale --type float").out, Native("1.500000\n"));
    EXPECT_EQ(Run("get " + file + " S Scale --type int").out, Native("1\n"));
    EXPECT_EQ(Run("get " + file + " S Flag --type bool").out, Native("0\n"));
    EXPECT_EQ(Run("get " + file + " S Two --type bool").out, Native("1\n"));
    EXPECT_EQ(Run("get " + file + " S Missing --type bool --default 5").out, Native("5\n"));
    EXPECT_EQ(Run("get " + file + " S Mask --type hex").out, Native("31\n"));
    EXPECT_EQ(Run("get " + file + " S Name --case lower").out, Native("mixed\n"));
    EXPECT_EQ(Run("get " + file + " S Missing --default \"Some Default\" --case upper").out, Native("Some Default\n"));
    EXPECT_EQ(Run("get " + file + " Nowhere X --type float --default 2.5").out, Native("2.500000\n"));
    // Without --default a missing key (or section) prints nothing and exits 1.
    for (const char* missing : {"S Missing", "S Missing --type int", "Nowhere X --type bool", "S Missing --type hex"}) {
        ToolResult result = Run("get " + file + " " + missing);
        EXPECT_EQ(result.code, 1) << missing;
        EXPECT_EQ(result.out, "") << missing;
    }
    // Reading changes nothing on disk.
    EXPECT_EQ(Contents("g.ini"), "[S]\nCount=12abc\nScale=1.5\nFlag=yes\nTwo=2\nMask=0x1F\nName=Mixed\n");
}

TEST_F(VarniniTest, SetAppliesTheSetterAndSaves) {
    ASSERT_TRUE(m_dir.Write("s.ini", "[S]\nX=5\n"));
    const std::string file = File("s.ini");
    EXPECT_EQ(Run("set " + file + " S X 7").code, 0);
    EXPECT_EQ(Contents("s.ini"), Native("[S]\nX=7\n\n"));
    EXPECT_EQ(Run("set " + file + " S Mask 255 --type hex").code, 0);
    EXPECT_EQ(Run("set " + file + " New On TRUE --type bool").code, 0);
    EXPECT_EQ(Run("set " + file + " New Gamma 1.25 --type float").code, 0);
    EXPECT_EQ(Contents("s.ini"), Native("[S]\nX=7\nMask=0x000000ff\n\n[New]\nOn=TRUE\nGamma=1.250000\n\n"));
    ToolResult bad = Run("set " + file + " S X seven --type int");
    EXPECT_EQ(bad.code, 2);
    EXPECT_NE(bad.err.find("seven is no int value"), std::string::npos) << bad.err;
    // A new file is made.
    EXPECT_EQ(Run("set " + File("fresh.ini") + " A B c").code, 0);
    EXPECT_EQ(Contents("fresh.ini"), Native("[A]\nB=c\n\n"));
}

TEST_F(VarniniTest, DefaultsWritesTheWholeTableAndKeepsValues) {
    ASSERT_TRUE(m_dir.Write("Options.ini", "[SoundOptions]\nMusicVolume=20\n"));
    ToolResult result = Run("defaults " + File("Options.ini"));
    EXPECT_EQ(result.code, 0) << result.err;
    std::string text = Contents("Options.ini");
    EXPECT_EQ(text.rfind(Native("[SoundOptions]\nMusicVolume=20\nSoundVolume=100\n"), 0), 0u);
    EXPECT_NE(text.find(Native("[CoopMission]\nMissionMap=VARNVERDUN\n")), std::string::npos);

    std::string expected = testsupport::ReadWholeFile(testsupport::SystemSidePath(std::string(VARN_TEST_SOURCE_DIR) + "/tests/data/default_options.ini"));
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(Run("defaults " + File("First.ini")).code, 0);
    EXPECT_EQ(Contents("First.ini"), Native(expected));
}

TEST_F(VarniniTest, CompoundTypesReadAndWriteAsTheGameDoes) {
    ASSERT_TRUE(m_dir.Write("c.ini", "[S]\nP=10, 20\nC=300,-5,128\nA=90,0,45\nT=25:61:70\nD=2/29/1900\nL=1,2\n"
                                     "K=2,-1,0.5,3\n[Font]\nTextFontName=Arial\nTextSize=12\nTextBold=1\n"
                                     "[Tab]\nXNumData=2\nXDeltaX=0.5\nXData=1,2\n"));
    const std::string file = File("c.ini");
    const std::pair<const char*, const char*> gets[] = {
        {"S P --type pair", "10,20\n"},
        {"S C --type rgb", "255,0,128\n"},
        {"S A --type angles", "90.000003,0.000000,45.000001\n"},
        {"S T --type time", "02:02:10\n"},
        {"S D --type date", "03/01/1900\n"},
        {"S L --type list:3", "1\n2\n0\nfalse\n"},
        {"S K --type color", "1\n0\n0.5\n1\ntrue\n"},
        {"Font --type font", "Arial\n12\n0x2\n0\n0\n0\n0\ntrue\n"},
        {"Tab --type table:X", "2\n0.5\n2\n0\n1\n2\ntrue\n"},
    };
    for (const auto& get : gets) {
        ToolResult result = Run("get " + file + " " + get.first);
        EXPECT_EQ(result.code, 0) << get.first << result.err;
        EXPECT_EQ(Native(get.second), result.out) << get.first;
    }
    EXPECT_EQ(Run("set " + file + " New Rgb 300,-5,128 --type rgb").code, 0);
    EXPECT_EQ(Run("set " + file + " New Date 13/1/2007 --type date").code, 0);
    EXPECT_EQ(Run("get " + file + " New Date --type date").out, Native("01/01/2008\n"));
    EXPECT_NE(Contents("c.ini").find(Native("[New]\nRgb=255,0,128\nDate=01/01/2008\n")), std::string::npos);
    for (const char* bad : {"set F S K 10 --type pair", "set F S K 1,2 --type color", "get F S K --type list:0",
                            "get F S K --type table", "get F S K --type font", "get F S K --type pair --default 1"}) {
        ToolResult result = Run(std::string(bad).replace(4, 1, file));
        EXPECT_EQ(result.code, 2) << bad;
    }
}

TEST_F(VarniniTest, BadUsageIsExplained) {
    ToolResult help = Run("--help");
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("usage: varnini save"), std::string::npos);
    EXPECT_EQ(Run("").code, 2);
    EXPECT_EQ(Run("frobnicate").code, 2);
    EXPECT_EQ(Run("get onlyfile").code, 2);
    ToolResult type = Run("get f.ini S K --type double");
    EXPECT_EQ(type.code, 2);
    EXPECT_NE(type.err.find("unknown type double"), std::string::npos);
    EXPECT_EQ(Run("get f.ini S K --type int --case upper").code, 2);
    EXPECT_EQ(Run("get f.ini S K --type int --default x").code, 2);
    EXPECT_EQ(Run("save a.ini").code, 2);
    EXPECT_EQ(Run("set f.ini S K").code, 2);
    EXPECT_EQ(Run("defaults").code, 2);
    EXPECT_EQ(Run("get f.ini S K --root").code, 2);
    EXPECT_EQ(Run("get f.ini S K --root " + std::string(300, 'r')).code, 2);
    EXPECT_EQ(Run("get f.ini S K --bogus").code, 2);
}

}  // namespace
