// varncat run as a process: create, list, extract, cat, crc and bad usage.
#include "files/crc32.h"
#include "files/file_manager.h"
#include "tests/support/tool_run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using testsupport::Quote;
using testsupport::ToolResult;

class VarncatTest : public testsupport::ToolTest {
protected:
    VarncatTest() : ToolTest(VARNCAT_PATH) {}
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

TEST_F(VarncatTest, CreatedCatalogsListExtractAndResolve) {
    const std::string binary("line one\nline two\r\n\0\x1a\xff end", 25);
    ASSERT_TRUE(m_dir.Write("Alpha.txt", "alpha text"));
    ASSERT_TRUE(plat::DirMake(m_dir.File("sub").c_str()));
    ASSERT_TRUE(m_dir.Write("sub\\button.tga", binary));
    ASSERT_TRUE(m_dir.Write("empty.ini", ""));
    ToolResult created = Run("create " + File("out.cat") + " " + File("Alpha.txt") + " " + File("sub\\button.tga") + " " +
                         File("empty.ini"));
    ASSERT_EQ(created.code, 0) << created.err;

    ToolResult listed = Run("list " + File("out.cat"));
    ASSERT_EQ(listed.code, 0) << listed.err;
    std::vector<std::string> lines = Lines(listed.out);
    ASSERT_EQ(lines.size(), 4u) << listed.out;
    // Records in data order, back to back after the tables.
    const size_t tables = 28 + (8 + 10) + (8 + 11) + (8 + 10) + (4 + 4) + (4 + 4) + (4 + 4);
    EXPECT_EQ(lines[0], std::to_string(tables) + " 10 ALPHA.TXT");
    EXPECT_EQ(lines[1], std::to_string(tables + 10) + " 25 BUTTON.TGA");
    EXPECT_EQ(lines[2], std::to_string(tables + 35) + " 0 EMPTY.INI");
    EXPECT_EQ(lines[3], "extensions: TXT TGA INI");

    // The game's reader serves the members.
    FileManager files;
    files.Initialize();
    ASSERT_EQ(files.fmgOpenCatalog(m_dir.File("out.cat").c_str()), 1);
    EXPECT_EQ(files.fmgGetFileSize("Menu\\Button.tga"), 25);
    EXPECT_EQ(files.fmgGetCheckSum("button.tga"), Crc32Bytewise(0, binary.data(), binary.size()));
    files.Shutdown();

    ToolResult extracted = Run("extract " + File("out.cat") + " " + File("unpacked"));
    ASSERT_EQ(extracted.code, 0) << extracted.err;
    EXPECT_EQ(testsupport::ReadWholeFile(m_dir.File("unpacked\\ALPHA.TXT")), "alpha text");
    EXPECT_EQ(testsupport::ReadWholeFile(m_dir.File("unpacked\\BUTTON.TGA")), binary);
    EXPECT_TRUE(plat::FileIsPlain(m_dir.File("unpacked\\EMPTY.INI").c_str()));

    ToolResult shown = Run("cat --catalog " + File("out.cat") + " " + Quote("Menu\\Button.tga"));
    ASSERT_EQ(shown.code, 0) << shown.err;
    EXPECT_EQ(shown.out, binary);  // byte for byte, no line-end translation

    char expected[16];
    snprintf(expected, sizeof expected, "%08x", static_cast<unsigned>(Crc32Bytewise(0, binary.data(), binary.size())));
    ToolResult checked = Run("crc --catalog " + File("out.cat") + " button.tga");
    ASSERT_EQ(checked.code, 0) << checked.err;
    EXPECT_EQ(Lines(checked.out), std::vector<std::string>{expected});
}

TEST_F(VarncatTest, OptionsDecideTheResolutionOrder) {
    ASSERT_TRUE(plat::DirMake(m_dir.File("root").c_str()));
    ASSERT_TRUE(plat::DirMake(m_dir.File("cache").c_str()));
    ASSERT_TRUE(m_dir.Write("first.txt", "first catalog"));
    ASSERT_TRUE(m_dir.Write("second.txt", "second catalog"));
    ASSERT_TRUE(plat::DirMake(m_dir.File("two").c_str()));
    ASSERT_TRUE(m_dir.Write("two\\first.txt", "other"));
    ASSERT_EQ(Run("create " + File("a.cat") + " " + File("first.txt")).code, 0);
    ASSERT_EQ(Run("create " + File("b.cat") + " " + File("two\\first.txt") + " " + File("second.txt")).code, 0);
    std::string catalogs = " --catalog " + File("a.cat") + " --catalog " + File("b.cat");
    EXPECT_EQ(Run("cat" + catalogs + " first.txt").out, "first catalog");
    EXPECT_EQ(Run("cat --catalog " + File("b.cat") + " --catalog " + File("a.cat") + " first.txt").out, "other");
    ASSERT_TRUE(m_dir.Write("root\\first.txt", "root file"));
    EXPECT_EQ(Run("cat --root " + File("root") + catalogs + " first.txt").out, "root file");
    ASSERT_TRUE(m_dir.Write("cache\\first.txt", "cache file"));
    EXPECT_EQ(Run("cat --root " + File("root") + " --cache " + File("cache") + catalogs + " " + Quote("a\\b\\first.txt")).out,
              "cache file");
    ToolResult crc = Run("crc --root " + File("root") + " first.txt");
    char expected[16];
    snprintf(expected, sizeof expected, "%08x", static_cast<unsigned>(Crc32Bytewise(0, "root file", 9)));
    EXPECT_EQ(Lines(crc.out), std::vector<std::string>{expected});
}

TEST_F(VarncatTest, BadUsageAndFailuresAreReported) {
    ToolResult none = Run("");
    EXPECT_EQ(none.code, 2);
    EXPECT_NE(none.err.find("usage: varncat"), std::string::npos);
    ToolResult help = Run("--help");
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("varncat list CAT"), std::string::npos);
    EXPECT_EQ(Run("unpack x.cat").code, 2);
    EXPECT_EQ(Run("list").code, 2);
    EXPECT_EQ(Run("create " + File("x.cat")).code, 2);
    EXPECT_EQ(Run("cat --root").code, 2);
    EXPECT_EQ(Run("crc --bogus x").code, 2);
    EXPECT_EQ(Run("cat a.txt b.txt").code, 2);

    ASSERT_TRUE(m_dir.Write("text.cat", "plain text, not a catalog, long enough for a header"));
    ToolResult notCatalog = Run("list " + File("text.cat"));
    EXPECT_EQ(notCatalog.code, 1);
    EXPECT_NE(notCatalog.err.find(" is not a catalog file!"), std::string::npos) << notCatalog.err;
    ToolResult missing = Run("list " + File("missing.cat"));
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("Unable to open catalog file "), std::string::npos) << missing.err;

    ASSERT_TRUE(m_dir.Write("README", "no extension"));
    ToolResult noExtension = Run("create " + File("r.cat") + " " + File("README"));
    EXPECT_EQ(noExtension.code, 1);
    EXPECT_NE(noExtension.err.find("has no extension"), std::string::npos);
    EXPECT_FALSE(plat::FileIsPlain(m_dir.File("r.cat").c_str()));
    ToolResult absent = Run("cat --root " + Quote(Host(m_dir.Path())) + " absent.txt");
    EXPECT_EQ(absent.code, 1);
    EXPECT_NE(absent.err.find("File absent.txt not found!"), std::string::npos) << absent.err;
    EXPECT_EQ(Run("crc absent.txt").code, 1);
}

TEST_F(VarncatTest, RepeatedNamesAreWrittenWithOneWarningEach) {
    ASSERT_TRUE(plat::DirMake(m_dir.File("a").c_str()));
    ASSERT_TRUE(plat::DirMake(m_dir.File("b").c_str()));
    ASSERT_TRUE(m_dir.Write("a\\Same.dat", "first"));
    ASSERT_TRUE(m_dir.Write("b\\SAME.DAT", "second"));
    ASSERT_TRUE(m_dir.Write("other.dat", "other"));
    ToolResult created = Run("create " + File("out.cat") + " " + File("a\\Same.dat") + " " + File("other.dat") + " " +
                             File("b\\SAME.DAT") + " " + File("a\\Same.dat"));
    ASSERT_EQ(created.code, 0) << created.err;
    std::vector<std::string> warnings = Lines(created.err);
    ASSERT_EQ(warnings.size(), 2u) << created.err;
    for (const std::string& warning : warnings)
        EXPECT_EQ(warning, "varncat: warning: SAME.DAT appears more than once; look-ups find the first");
    ToolResult shown = Run("cat --catalog " + File("out.cat") + " same.dat");
    ASSERT_EQ(shown.code, 0) << shown.err;
    EXPECT_EQ(shown.out, "first");
}
