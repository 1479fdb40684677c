// Loading configuration documents: headers, key lines, directives, includes,
// duplicates, line ends, catalogs, and text that does not fit the pool.
#include "files/paths.h"
#include "tests/support/catalog_bytes.h"
#include "tests/ini/ini_fixture.h"

#include <cstring>

using initest::IniTest;

namespace {

TEST_F(IniTest, HeadersKeepInnerBlanksAndAcceptAMissingBracket) {
    ASSERT_TRUE(Write("h.INI", "   [Pilot]   \nName=Ace\n[ Spaced ]\nA=1\n[Open\nB=2\n[]\nC=3\n"));
    IniFile ini("h", 0, 0, 100);
    EXPECT_EQ(ini.NotLoaded(), 0);
    EXPECT_STREQ(ini.Path(), ".\\h.INI");
    EXPECT_EQ(Dump(ini), "[Pilot]\nName=Ace\n[ Spaced ]\nA=1\n[Open]\nB=2\n[]\nC=3\n");
    EXPECT_TRUE(ini.HasSection("pilot"));
    EXPECT_FALSE(ini.HasSection("Spaced"));   // the query is not trimmed
    EXPECT_TRUE(ini.HasSection(" Spaced "));
    EXPECT_FALSE(ini.HasSection(""));         // an empty name is never found
    EXPECT_FALSE(ini.HasSection(nullptr));
}

TEST_F(IniTest, KeyLinesSplitAtTheFirstEqualsAndKeepSemicolonsInValues) {
    ASSERT_TRUE(Write("k.ini",
                      "[S]\n"
                      "  Path = C:\\Game ; not a comment  \n"
                      "; Hidden=1\n"
                      "NoEquals\n"
                      "Expr=a=b\n"
                      "Empty=\n"
                      "=orphan\n"
                      "\t\n"));
    IniFile ini("k.ini", 0, 0, 100);
    char text[kPathSize];
    ini.GetString("S", "Path", "", text, sizeof text, 0);
    EXPECT_STREQ(text, "C:\\Game ; not a comment");
    EXPECT_FALSE(ini.HasKey("S", "; Hidden"));
    EXPECT_FALSE(ini.HasKey("S", "NoEquals"));
    ini.GetString("S", "Expr", "", text, sizeof text, 0);
    EXPECT_STREQ(text, "a=b");
    IniKey* empty = ini.FindKey("S", "Empty");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->text, nullptr);
    // A key without a name is kept (and written back) but never found.
    EXPECT_EQ(ini.KeyCount("S"), 4);
    EXPECT_FALSE(ini.HasKey("S", ""));
}

TEST_F(IniTest, KeyConversionsAreMadeWhenTheKeyIsRead) {
    ASSERT_TRUE(Write("c.ini", "[S]\nA=12abc\nB= -7.25 \nC=0x1F\nD=99999999999\nE=-99999999999\nF=1e3\nG=.5\n"));
    IniFile ini("c.ini", 0, 0, 100);
    EXPECT_EQ(ini.FindKey("S", "A")->intValue, 12);
    EXPECT_FLOAT_EQ(ini.FindKey("S", "A")->floatValue, 12.0f);
    EXPECT_EQ(ini.FindKey("S", "B")->intValue, -7);
    EXPECT_FLOAT_EQ(ini.FindKey("S", "B")->floatValue, -7.25f);
    // Decimal only: "0x1F" is the number 0 followed by text.
    EXPECT_EQ(ini.FindKey("S", "C")->intValue, 0);
    EXPECT_EQ(ini.FindKey("S", "C")->floatValue, 0.0f);
    EXPECT_EQ(ini.FindKey("S", "D")->intValue, INT32_MAX);
    EXPECT_EQ(ini.FindKey("S", "E")->intValue, INT32_MIN);
    EXPECT_EQ(ini.FindKey("S", "F")->intValue, 1);
    EXPECT_FLOAT_EQ(ini.FindKey("S", "F")->floatValue, 1000.0f);
    EXPECT_FLOAT_EQ(ini.FindKey("S", "G")->floatValue, 0.5f);
}

TEST_F(IniTest, AHashLineEndsTheSection) {
    ASSERT_TRUE(Write("d.ini",
                      "[A]\nX=1\n#note about Y\nY=2\n"
                      "[B]\nZ=3\n# include other.ini\nW=4\n"
                      "[C]\nV=5\n#include\nU=6\n"));
    IniFile ini("d.ini", 0, 0, 100);
    EXPECT_EQ(Dump(ini), "[A]\nX=1\n[B]\nZ=3\n[C]\nV=5\n");
}

TEST_F(IniTest, IncludesQuotedWithBlanksAndUnquotedUpToTheFirstBlank) {
    ASSERT_TRUE(Write("main.ini", "[Main]\nA=1\n#include \"my extra.ini\"\n#INCLUDE plain.ini trailing words\n"));
    ASSERT_TRUE(Write("my extra.ini", "[Extra]\nB=2\n"));
    ASSERT_TRUE(Write("plain.ini", "[Plain]\nC=3\n"));
    IniFile ini("main.ini", 0, 0, 200);
    EXPECT_EQ(Dump(ini), "[Main]\nA=1\n[Extra]\nB=2\n[Plain]\nC=3\n");
}

TEST_F(IniTest, DuplicateSectionsAreDroppedWithTheirKeysAlsoFromIncludes) {
    ASSERT_TRUE(Write("dup.ini", "#include inc.ini\n[A]\nX=1\n[a]\nX=2\nY=3\n[B]\nZ=1\n"));
    ASSERT_TRUE(Write("inc.ini", "[B]\nZ=9\nQ=9\n[New]\nN=1\n"));
    IniFile ini("dup.ini", 0, 0, 200);
    EXPECT_EQ(Dump(ini), "[A]\nX=1\n[B]\nZ=1\n[New]\nN=1\n");
    EXPECT_TRUE(m_log.Has(LogSeverity::Warning, "Deleting duplicate section a from .\\dup.ini..."));
    EXPECT_TRUE(m_log.Has(LogSeverity::Warning, "Deleting duplicate section B from inc.ini..."));
}

TEST_F(IniTest, DuplicateKeysDifferingInCaseKeepTheFirstValue) {
    ASSERT_TRUE(Write("keys.ini", "[S]\nVolume=1\nvolume=2\nVOLUME=3\nOther=4\n"));
    IniFile ini("keys.ini", 0, 0, 100);
    EXPECT_EQ(ini.GetInt("S", "VOLUME", 0), 1);
    EXPECT_EQ(ini.KeyCount("S"), 2);
    EXPECT_TRUE(m_log.Has(LogSeverity::Notice, "Deleting duplicate key volume from .\\keys.ini..."));
    EXPECT_TRUE(m_log.Has(LogSeverity::Notice, "Deleting duplicate key VOLUME from .\\keys.ini..."));
}

TEST_F(IniTest, CrLfAndLfFilesParseAlike) {
    const std::string text = "[A]\nX = 1\n\n[B]\nY=two words\n;c\nZ=\n";
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    ASSERT_TRUE(Write("lf.ini", text));
    ASSERT_TRUE(Write("crlf.ini", crlf));
    ASSERT_TRUE(Write("cr.ini", std::string("[A]\rX=1\r[B]\rY=two words\rZ=\r")));
    IniFile lf("lf.ini", 0, 0, 100);
    IniFile dos("crlf.ini", 0, 0, 100);
    IniFile mac("cr.ini", 0, 0, 100);
    EXPECT_EQ(Dump(lf), "[A]\nX=1\n[B]\nY=two words\nZ=\n");
    EXPECT_EQ(Dump(dos), Dump(lf));
    EXPECT_EQ(Dump(mac), Dump(lf));
}

// Only a '[' or '#' that blanks alone separate from the start of its line
// begins a header or a directive line; one inside a key line, at any place
// of a long line, is text. A header after only blanks still counts.
TEST_F(IniTest, BracketsAndHashesInsideKeyLinesAreText) {
    std::string text = "Outside=[not a section]\r\n  \t[First]\r\nA=#not an include\r\n"
                       "B = x [y] #z\r\nLongKeyName0123456789=abc[def]ghi#jkl[mno]pqr#\r\n"
                       "\v\f[Second]\rC=1\r  # no include here\nD=2\n[Third]\nE=[3]\nName[4]=5\n"
                       "x#[Fourth]\n";
    for (int i = 0; i < 40; ++i) text += "K" + std::to_string(i) + "=" + std::string(i, ' ') + "[" + std::to_string(i) + "]\n";
    text += "[Fifth]";
    ASSERT_TRUE(Write("marks.ini", text));
    IniFile ini("marks.ini", 0, 0, 100);
    std::string expected = "[First]\nA=#not an include\nB=x [y] #z\nLongKeyName0123456789=abc[def]ghi#jkl[mno]pqr#\n"
                           "[Second]\nC=1\n[Third]\nE=[3]\nName[4]=5\n";
    for (int i = 0; i < 40; ++i) expected += "K" + std::to_string(i) + "=[" + std::to_string(i) + "]\n";
    expected += "[Fifth]\n";
    EXPECT_EQ(Dump(ini), expected);
}

TEST_F(IniTest, MissingAndEmptyFilesLeaveAUsableEmptyDocument) {
    IniFile missing("absent", 0, 0, 100);
    EXPECT_EQ(missing.NotLoaded(), 1);
    EXPECT_EQ(missing.SectionCount(), 0);
    EXPECT_EQ(missing.PoolCapacity(), 101);
    EXPECT_TRUE(missing.SetInt("S", "K", 3));
    EXPECT_EQ(missing.GetInt("S", "K", 0), 3);

    ASSERT_TRUE(Write("empty.ini", ""));
    IniFile empty("empty.ini", 0, 0, 100);
    EXPECT_EQ(empty.NotLoaded(), 1);
    EXPECT_FALSE(empty.Load("empty.ini"));

    IniFile notRead("absent", 0, 1, 100);
    EXPECT_EQ(notRead.NotLoaded(), 1);
}

TEST_F(IniTest, EmbeddedZeroBytesAndLoneCarriageReturnsSplitLines) {
    std::string text = "[A]\nX=1";
    text += '\0';
    text += "Y=2\r[B]\rZ=3\n";
    ASSERT_TRUE(Write("bin.ini", text));
    IniFile ini("bin.ini", 0, 0, 100);
    EXPECT_EQ(Dump(ini), "[A]\nX=1\nY=2\n[B]\nZ=3\n");
}

TEST_F(IniTest, FilesAreReadFromCatalogs) {
    std::string catalog = catalogtest::Build({{"README.TXT", "x"}, {"MENU.INI", "[Menu]\nTitle=Main\n#include extra.ini\n"},
                                              {"EXTRA.INI", "[Extra]\nColor=7\n"}});
    ASSERT_TRUE(Write("Data.cat", catalog));
    ASSERT_EQ(m_files.fmgOpenCatalog(m_dir.File("Data.cat").c_str()), 1);
    IniFile ini("Menu\\Menu.ini", 0, 0, 100);
    EXPECT_EQ(ini.NotLoaded(), 0);
    // The pool was sized from the member's size in the catalog.
    EXPECT_EQ(ini.PoolCapacity(), static_cast<int>(strlen("[Menu]\nTitle=Main\n#include extra.ini\n")) + 101);
    EXPECT_EQ(Dump(ini), "[Menu]\nTitle=Main\n[Extra]\nColor=7\n");
    EXPECT_EQ(m_files.OpenHandleCount(), 0);
}

TEST_F(IniTest, IncludeCyclesEndAndKeepWhatWasRead) {
    ASSERT_TRUE(Write("self.ini", "[Self]\nA=1\n#include self.ini\n#include .\\self.ini\n"));
    IniFile self("self.ini", 0, 0, 10000);
    EXPECT_EQ(Dump(self), "[Self]\nA=1\n");
    EXPECT_TRUE(m_log.HasError("Ignoring #include self.ini in .\\self.ini: that file is already being read!"));
    EXPECT_TRUE(m_log.HasError("Ignoring #include .\\self.ini in .\\self.ini: that file is already being read!"));

    ASSERT_TRUE(Write("a.ini", "[A]\nX=1\n#include b.ini\n"));
    ASSERT_TRUE(Write("b.ini", "[B]\nY=2\n#include c.ini\n"));
    ASSERT_TRUE(Write("c.ini", "[C]\nZ=3\n#include a.ini\n"));
    IniFile ring("a.ini", 0, 0, 10000);
    EXPECT_EQ(Dump(ring), "[A]\nX=1\n[B]\nY=2\n[C]\nZ=3\n");
    EXPECT_TRUE(m_log.HasError("Ignoring #include a.ini in c.ini: that file is already being read!"));
    EXPECT_LT(ring.PoolUsedBytes(), ring.PoolCapacity());
}

TEST_F(IniTest, AChainOfDistinctIncludesStopsAtTheDepthLimit) {
    for (int i = 0; i < 40; ++i) {
        std::string body = "[S" + std::to_string(i) + "]\nK=1\n#include f" + std::to_string(i + 1) + ".ini\n";
        ASSERT_TRUE(Write("f" + std::to_string(i) + ".ini", body));
    }
    IniFile ini("f0.ini", 0, 0, 100000);
    EXPECT_EQ(ini.SectionCount(), 17);  // the file itself and 16 levels of includes
    EXPECT_TRUE(ini.HasSection("S16"));
    EXPECT_FALSE(ini.HasSection("S17"));
    EXPECT_TRUE(m_log.HasError("Ignoring #include f17.ini in f16.ini: includes nested too deeply!"));
}

TEST_F(IniTest, APoolFilledToItsLastByteStaysTerminated) {
    const std::string text = "[S]\nKey=Value\n";
    ASSERT_TRUE(Write("full.ini", text));
    IniFile ini("full.ini", 0, 0, 0);
    ASSERT_EQ(ini.PoolCapacity(), static_cast<int>(text.size()) + 1);
    EXPECT_EQ(ini.NotLoaded(), 0);
    EXPECT_EQ(ini.PoolUsedBytes(), ini.PoolCapacity());
    char value[kPathSize];
    ini.GetString("S", "Key", "", value, sizeof value, 0);
    EXPECT_STREQ(value, "Value");
    // Nothing more fits: a new text is refused with the message.
    EXPECT_FALSE(ini.SetString("S", "Key", "x"));
    EXPECT_TRUE(m_log.HasError("Unable to append string x to the buffer!"));
    EXPECT_FALSE(ini.SetInt("S", "New", 1));
    EXPECT_TRUE(m_log.HasError("Unable to append string New to the buffer!"));
    EXPECT_FALSE(ini.SetBool("Other", "K", 1));
    EXPECT_TRUE(m_log.HasError("Unable to append string key name K to the buffer!"));
    // Setters that store no text still work.
    EXPECT_TRUE(ini.SetInt("S", "Key", 5));
    EXPECT_EQ(ini.GetInt("S", "Key", 0), 5);
}

TEST_F(IniTest, AnIncludeThatDoesNotFitKeepsItsWholeLinesOnly) {
    ASSERT_TRUE(Write("small.ini", "[Main]\nA=1\n#include big.ini\n"));
    ASSERT_TRUE(Write("big.ini", "[Big]\nFirst=1\nSec=22222222\nThird=3\n"));
    // Room for the main file and 20 more bytes: "[Big]\nFirst=1\nSec=22" fits, the
    // rest not; the value cut short must not be kept as "22".
    IniFile ini("small.ini", 0, 0, 21);
    EXPECT_EQ(ini.NotLoaded(), 0);
    EXPECT_EQ(Dump(ini), "[Main]\nA=1\n[Big]\nFirst=1\n");
    EXPECT_TRUE(m_log.HasError("Unable to read all of big.ini, the buffer is full!"));
    EXPECT_LE(ini.PoolUsedBytes(), ini.PoolCapacity());
    EXPECT_FALSE(ini.Load("big.ini"));  // no room left for a whole line
}

TEST_F(IniTest, ReloadReadsTheFileAgainIntoTheSamePool) {
    ASSERT_TRUE(Write("r.ini", "[S]\nA=1\n"));
    IniFile ini("r.ini", 0, 0, 12);
    const int capacity = ini.PoolCapacity();
    ASSERT_TRUE(ini.SetInt("S", "B", 2));
    ASSERT_TRUE(Write("r.ini", "[S]\nA=5\n[T]\nC=3\n"));
    EXPECT_TRUE(ini.Reload());
    EXPECT_EQ(Dump(ini), "[S]\nA=5\n[T]\nC=3\n");
    EXPECT_EQ(ini.PoolCapacity(), capacity);

    // Grown beyond the pool (room for 20 bytes): the whole lines that fit are
    // kept, the rest is not read and nothing overruns.
    ASSERT_TRUE(Write("r.ini", "[S]\nA=6\n[T]\nC=4\n[U]\nD=5\n"));
    EXPECT_FALSE(ini.Reload());
    EXPECT_EQ(Dump(ini), "[S]\nA=6\n[T]\nC=4\n[U]\n");
    EXPECT_LE(ini.PoolUsedBytes(), ini.PoolCapacity());
}

TEST_F(IniTest, ClearEmptiesTheDocumentAndKeepsPathAndCapacity) {
    ASSERT_TRUE(Write("cl.ini", "[S]\nA=1\n"));
    IniFile ini("cl.ini", 0, 0, 50);
    ini.Clear();
    EXPECT_EQ(ini.SectionCount(), 0);
    EXPECT_EQ(ini.PoolUsedBytes(), 0);
    EXPECT_EQ(ini.PoolCapacity(), 59);
    EXPECT_STREQ(ini.Path(), ".\\cl.ini");
    ini.Destroy();
    EXPECT_EQ(ini.PoolCapacity(), 0);
    EXPECT_FALSE(ini.SetString("S", "A", "x"));
    EXPECT_FALSE(ini.Load("cl.ini"));
}

TEST_F(IniTest, NameLengthsAtTheBufferLimit) {
    const std::string longName(300, 'N');
    const std::string longValue(300, 'v');
    ASSERT_TRUE(Write("long.ini", "[" + longName + "]\n" + longName + "=" + longValue + "\n"));
    IniFile ini("long.ini", 0, 0, 100);
    ASSERT_TRUE(ini.HasKey(longName.c_str(), longName.c_str()));
    testsupport::GuardedBuffer buffer;
    ini.GetString(longName.c_str(), longName.c_str(), "", buffer.data(), testsupport::GuardedBuffer::kSize, 1);
    EXPECT_EQ(std::string(buffer.data()), std::string(259, 'V'));
    EXPECT_TRUE(buffer.CanaryIntact());
    testsupport::GuardedBuffer name;
    ini.RewindSections();
    ini.CurrentSectionName(name.data(), testsupport::GuardedBuffer::kSize);
    EXPECT_EQ(strlen(name.data()), 259u);
    EXPECT_TRUE(name.CanaryIntact());
    // A long text whose bool reading goes through a 260-byte copy.
    EXPECT_EQ(ini.GetBool(longName.c_str(), longName.c_str(), 1), 0);
}

}  // namespace

// A section's key lines become keys when the section is first looked into:
// the duplicate notice comes then and only once, and every operation sees the
// file's keys first.
TEST_F(IniTest, KeyLinesAreReadWhenTheSectionIsFirstLookedInto) {
    ASSERT_TRUE(Write("lazy.ini", "[A]\nK=1\nk=2\n[B]\nX=1\n[C]\nY=1\n[D]\nZ=1\nz=9\n[E]\nW=1\n"));
    IniFile ini("lazy.ini", 0, 0, 100);
    EXPECT_FALSE(m_log.Has(LogSeverity::Notice, "Deleting duplicate key k from .\\lazy.ini..."));
    EXPECT_EQ(ini.KeyCount("A"), 1);
    EXPECT_TRUE(m_log.Has(LogSeverity::Notice, "Deleting duplicate key k from .\\lazy.ini..."));
    const size_t logged = m_log.Size();
    EXPECT_EQ(ini.KeyCount("A"), 1);
    EXPECT_EQ(m_log.Size(), logged);
    ini.DeleteSection("B");
    ASSERT_NE(ini.RenameSection("C", "C2"), nullptr);
    EXPECT_EQ(ini.GetInt("C2", "Y", 0), 1);
    EXPECT_TRUE(ini.SetInt("E", "V", 2));
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(Read("lazy.ini"), initest::Native("[A]\nK=1\n\n[C2]\nY=1\n\n[D]\nZ=1\n\n[E]\nW=1\nV=2\n\n"));
    EXPECT_TRUE(m_log.Has(LogSeverity::Notice, "Deleting duplicate key z from .\\lazy.ini..."));
}

// Line ends of every kind, at every alignment of the line before them, in a
// pool with no room after the text: the scan for the next header never reads
// past the text or misses an end.
TEST_F(IniTest, LineEndsAtEveryAlignment) {
    const std::string ends[] = {"\n", "\r\n", "\r", std::string(1, '\0')};
    for (const std::string& end : ends) {
        for (int pad = 0; pad < 17; ++pad) {
            const std::string blanks(static_cast<size_t>(pad), ' ');
            const std::string text = "[A]" + end + blanks + "K=" + std::string(pad, 'v') + end + blanks + "[B]" + end +
                                     "\t#x" + end + "L=1" + end + "[C]" + end + "M=" + blanks + "m";
            ASSERT_TRUE(Write("ends.ini", text));
            IniFile ini("ends.ini", 0, 0, 0);
            SCOPED_TRACE(testing::Message() << "end " << int(end[0]) << " pad " << pad);
            EXPECT_EQ(Dump(ini), "[A]\nK=" + std::string(pad, 'v') + "\n[B]\n[C]\nM=m\n");
        }
    }
}
