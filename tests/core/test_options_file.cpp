// The "OPT" object: one shared options document, borrowed and given back.
#include "core/options_file.h"
#include "tests/ini/ini_fixture.h"

using initest::IniTest;
using initest::Native;

namespace {

class OptionsFileTest : public IniTest {
protected:
    void SetUp() override {
        IniTest::SetUp();
        m_options.Initialize();
    }
    void TearDown() override {
        m_options.Shutdown();
        IniTest::TearDown();
    }
    OptionIniFile m_options;
};

TEST_F(OptionsFileTest, NothingIsLentBeforeADocumentIsOpen) {
    IniFile* holder = reinterpret_cast<IniFile*>(&m_options);
    EXPECT_EQ(m_options.optGetIniFile(&holder), 0);
    EXPECT_EQ(holder, reinterpret_cast<IniFile*>(&m_options));
    EXPECT_EQ(m_options.optReload(), 0);
    EXPECT_EQ(m_options.HolderCount(), 0);
}

TEST_F(OptionsFileTest, OpenMakesADocumentThatWritesDefaultsBack) {
    ASSERT_TRUE(Write("Options.INI", "[Pilot]\nCallsign=Red\n"));
    IniFile* document = m_options.optOpen("Options");
    ASSERT_NE(document, nullptr);
    EXPECT_STREQ(document->Path(), ".\\Options.INI");
    EXPECT_EQ(document->WriteBackDefaults(), 1);
    EXPECT_EQ(document->NotLoaded(), 0);
    EXPECT_EQ(document->PoolCapacity(), 21 + IniFile::kDefaultExtra + 1);
    IniFile* holder = nullptr;
    ASSERT_EQ(m_options.optGetIniFile(&holder), 1);
    EXPECT_EQ(holder, document);
    EXPECT_EQ(m_options.optReleaseIniFile(&holder), 0);
    EXPECT_EQ(holder, nullptr);
}

// The file a document that writes defaults back would replace is kept when
// it is not text, found with the document's own extension.
TEST_F(OptionsFileTest, AFileThatIsNotTextIsKeptOnlyWhenDefaultsAreWrittenBack) {
    const std::string bytes("[Pilot]\0\xff", 9);
    ASSERT_TRUE(Write("Options.INI", bytes));
    m_options.optDisableWriteBack(1);
    m_options.optOpen("Options");
    EXPECT_FALSE(plat::FileIsPlain(".\\Options.INI.bad"));
    m_options.optDisableWriteBack(0);
    m_options.optOpen("Options");
    EXPECT_TRUE(plat::FileIsPlain(".\\Options.INI.bad"));
    EXPECT_EQ(Read("Options.INI.bad"), bytes);
}

TEST_F(OptionsFileTest, TheLastHolderToSaveRebuildsTheDocumentFromTheFile) {
    m_options.optOpen("Options.ini");
    IniFile* first = nullptr;
    IniFile* second = nullptr;
    ASSERT_EQ(m_options.optGetIniFile(&first), 1);
    ASSERT_EQ(m_options.optGetIniFile(&second), 1);
    EXPECT_EQ(m_options.HolderCount(), 2);
    ASSERT_TRUE(first->SetInt("Sound", "Volume", 80));

    EXPECT_EQ(m_options.optSaveAndRelease(&first), 1);
    EXPECT_EQ(first, nullptr);
    EXPECT_EQ(Read("Options.ini"), Native("[Sound]\nVolume=80\n\n"));
    // Still the same document: the key keeps the type its setter gave it.
    EXPECT_EQ(m_options.Document(), second);
    EXPECT_EQ(second->FindKey("Sound", "Volume")->type, kIniInteger);

    ASSERT_TRUE(second->SetInt("Sound", "Music", 20));
    EXPECT_EQ(m_options.optSaveAndRelease(&second), 1);
    EXPECT_EQ(m_options.HolderCount(), 0);
    EXPECT_EQ(Read("Options.ini"), Native("[Sound]\nVolume=80\nMusic=20\n\n"));
    // Rebuilt from the file: every key was read back as text.
    IniFile* rebuilt = m_options.Document();
    ASSERT_NE(rebuilt, nullptr);
    EXPECT_EQ(rebuilt->FindKey("Sound", "Music")->type, kIniString);
    EXPECT_STREQ(rebuilt->FindKey("Sound", "Music")->text, "20");
    EXPECT_EQ(rebuilt->WriteBackDefaults(), 1);
}

TEST_F(OptionsFileTest, ReleasingTooOftenOrAForeignDocumentIsReported) {
    m_options.optOpen("Options.ini");
    IniFile* holder = m_options.Document();
    EXPECT_EQ(m_options.optReleaseIniFile(&holder), 0);
    EXPECT_EQ(holder, nullptr);
    EXPECT_TRUE(m_log.Has(LogSeverity::Notice, "Unable to release OptionIniFile, reference count already at 0!"));
    EXPECT_FALSE(m_log.HasError("Invalid pOptionsIniFile!!"));

    holder = m_options.Document();
    EXPECT_EQ(m_options.optSaveAndRelease(&holder), 0);
    EXPECT_EQ(holder, nullptr);
    EXPECT_EQ(Read("Options.ini"), "<missing>");

    IniFile* mine = nullptr;
    ASSERT_EQ(m_options.optGetIniFile(&mine), 1);
    IniFile* foreign = reinterpret_cast<IniFile*>(&m_log);
    m_log.Clear();
    EXPECT_EQ(m_options.optReleaseIniFile(&foreign), 0);  // still counts
    EXPECT_TRUE(m_log.HasError("Invalid pOptionsIniFile!!"));
    EXPECT_EQ(foreign, nullptr);
}

TEST_F(OptionsFileTest, WithoutWriteBackDefaultsStayOutOfTheFile) {
    ASSERT_TRUE(Write("Options.ini", "[S]\nA=1\n"));
    EXPECT_EQ(m_options.optDisableWriteBack(1), 0);
    EXPECT_EQ(m_options.optDisableWriteBack(1), 1);
    IniFile* document = m_options.optOpen("Options.ini");
    EXPECT_EQ(document->WriteBackDefaults(), 0);
    IniFile* holder = nullptr;
    m_options.optGetIniFile(&holder);
    EXPECT_EQ(holder->GetInt("S", "Missing", 5), 5);
    EXPECT_EQ(m_options.optSaveAndRelease(&holder), 1);
    EXPECT_EQ(Read("Options.ini"), Native("[S]\nA=1\n\n"));
    // Switching back reaches the open document.
    EXPECT_EQ(m_options.optDisableWriteBack(0), 1);
    EXPECT_EQ(m_options.Document()->WriteBackDefaults(), 1);
}

TEST_F(OptionsFileTest, AFailedSaveLowersTheCountAndKeepsTheDocument) {
    IniFile* document = m_options.optOpen("missing\\dir\\Options.ini");
    IniFile* holder = nullptr;
    m_options.optGetIniFile(&holder);
    EXPECT_EQ(m_options.optSaveAndRelease(&holder), 0);
    EXPECT_EQ(m_options.HolderCount(), 0);
    EXPECT_EQ(m_options.Document(), document);
}

TEST_F(OptionsFileTest, ReloadReadsTheFileAgain) {
    ASSERT_TRUE(Write("Options.ini", "[S]\nA=1\n"));
    m_options.optOpen("Options.ini");
    ASSERT_TRUE(Write("Options.ini", "[S]\nA=2\n"));
    EXPECT_EQ(m_options.optReload(), 1);
    EXPECT_EQ(m_options.Document()->GetInt("S", "A", 0), 2);
}

TEST_F(OptionsFileTest, ShutdownWarnsAboutHoldersAndDestroysTheDocument) {
    m_options.optOpen("Options.ini");
    IniFile* a = nullptr;
    IniFile* b = nullptr;
    m_options.optGetIniFile(&a);
    m_options.optGetIniFile(&b);
    m_options.Shutdown();
    EXPECT_TRUE(m_log.Has(LogSeverity::Warning, "Reference count for OptionIniFile is 2!"));
    EXPECT_EQ(m_options.Document(), nullptr);
    EXPECT_EQ(m_options.HolderCount(), 2);
    IniFile* c = nullptr;
    EXPECT_EQ(m_options.optGetIniFile(&c), 0);
}

TEST_F(OptionsFileTest, OperationsAreReachedThroughThePublishedTable) {
    IOptionsFile* published = &m_options;
    ASSERT_NE(published->optOpen("Options.ini"), nullptr);
    IniFile* holder = nullptr;
    EXPECT_EQ(published->optGetIniFile(&holder), 1);
    EXPECT_EQ(published->optReleaseIniFile(&holder), 0);
    EXPECT_EQ(published->optDisableWriteBack(1), 0);
}

}  // namespace
