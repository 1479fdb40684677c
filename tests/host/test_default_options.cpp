// The default options file: a first start writes exactly the table, a second
// changes nothing, an existing file keeps its values and gains the missing keys.
#include "core/options_file.h"
#include "files/paths.h"
#include "host/default_options.h"
#include "tests/ini/ini_fixture.h"

#include <fstream>
#include <sstream>

using initest::IniTest;
using initest::Native;

namespace {

// The expected file, kept with LF line ends.
std::string ExpectedDefaults() {
    std::string path = std::string(VARN_TEST_SOURCE_DIR) + "/tests/data/default_options.ini";
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') path = "Z:" + path;  // the Unix root under Wine
#endif
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class DefaultOptionsTest : public IniTest {
protected:
    void SetUp() override {
        m_expected = ExpectedDefaults();
        ASSERT_FALSE(m_expected.empty());
        IniTest::SetUp();
        m_options.Initialize();
    }
    void TearDown() override {
        m_options.Shutdown();
        IniTest::TearDown();
    }
    // One start of the host: open the options file, complete it, give it back.
    int Start(const char* name = "Options.ini") {
        m_options.optOpen(name);
        IniFile* options = nullptr;
        if (!m_options.optGetIniFile(&options)) return -1;
        int saved = WriteDefaultOptions(options);
        m_options.optReleaseIniFile(&options);
        return saved;
    }
    // The expected file without one section.
    std::string ExpectedWithout(const std::string& section) {
        size_t begin = m_expected.find("[" + section + "]\n");
        size_t end = m_expected.find("\n\n", begin) + 2;
        return m_expected.substr(0, begin) + m_expected.substr(end);
    }

    std::string m_expected;
    OptionIniFile m_options;
};

TEST_F(DefaultOptionsTest, AFirstStartWritesTheWholeTable) {
    EXPECT_EQ(Start(), 1);
    EXPECT_EQ(Read("Options.ini"), Native(m_expected));
    size_t count = 0;
    DefaultOptions(&count);
    EXPECT_EQ(count, 126u);
}

TEST_F(DefaultOptionsTest, ASecondStartLeavesTheFileUnchanged) {
    ASSERT_EQ(Start(), 1);
    const std::string first = Read("Options.ini");
    ASSERT_EQ(Start(), 1);
    EXPECT_EQ(Read("Options.ini"), first);
}

TEST_F(DefaultOptionsTest, AnExistingFileKeepsItsValuesAndGainsTheMissingKeysInOrder) {
    ASSERT_TRUE(Write("Options.ini", "[SoundOptions]\r\nMusicVolume=20\r\n"));
    EXPECT_EQ(Start(), 1);
    const std::string sound =
        "[SoundOptions]\nMusicVolume=20\nSoundVolume=100\nSpeechVolume=100\nNumChannels=16\nReverseStereo=0\n"
        "SpeechSubtitles=1\n\n";
    EXPECT_EQ(Read("Options.ini"), Native(sound + ExpectedWithout("SoundOptions")));
}

TEST_F(DefaultOptionsTest, StoredValuesAreSavedInTheFormOfTheirType) {
    ASSERT_TRUE(Write("Options.ini",
                      "[GraphicsOptions]\nDisplayWidth=800x600\nAspectRatio=1.6\n"
                      "[MultiplayerOptions]\nLobbyLaunched=1\n[Pilot]\nCallsign= Red Baron \n"));
    EXPECT_EQ(Start(), 1);
    IniFile again("Options.ini", 0, 0, 100);
    char text[kPathSize];
    again.GetString("GraphicsOptions", "DisplayWidth", "", text, sizeof text, 0);
    EXPECT_STREQ(text, "800");
    again.GetString("GraphicsOptions", "AspectRatio", "", text, sizeof text, 0);
    EXPECT_STREQ(text, "1.600000");
    again.GetString("MultiplayerOptions", "LobbyLaunched", "", text, sizeof text, 0);
    EXPECT_STREQ(text, "TRUE");
    again.GetString("Pilot", "Callsign", "", text, sizeof text, 0);
    EXPECT_STREQ(text, "Red Baron");
    again.GetString("Pilot", "LastName", "", text, sizeof text, 0);
    EXPECT_STREQ(text, "Pilot");
}

TEST_F(DefaultOptionsTest, AFileThatCannotBeWrittenIsLoggedAndTheDocumentStaysComplete) {
    EXPECT_EQ(Start("missing\\dir\\Options.ini"), 0);
    EXPECT_TRUE(m_log.HasError("...unable to save default option .ini file!"));
    EXPECT_EQ(m_options.Document()->SectionCount(), 15);
    EXPECT_EQ(m_options.Document()->GetInt("SoundOptions", "MusicVolume", 0), 75);
}

TEST_F(DefaultOptionsTest, TheGameplayVectorHoldsTheLowBytesInItsOwnOrder) {
    ASSERT_TRUE(Write("Options.ini",
                      "[GameplayOptions]\nFuelUsage=11\nAmmoUsage=10\nBlackout=9\nCollision=8\nLanding=7\n"
                      "HUDDisplay=6\nTargeting=5\nAvionics=4\nWeaponEffectiveness=3\nFlightModel=2\n"
                      "EnemySkill=258\n"));
    m_options.optOpen("Options.ini");
    unsigned char vector[kGameplayOptionCount + 1];
    memset(vector, 0xEE, sizeof vector);
    FillGameplayOptions(m_options.Document(), vector);
    const unsigned char expected[kGameplayOptionCount + 1] = {2, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0xEE};
    EXPECT_EQ(memcmp(vector, expected, sizeof vector), 0);

    // Without write-back a missing option reads as 0.
    ASSERT_TRUE(Write("Other.ini", "[GameplayOptions]\nLanding=3\n"));
    m_options.optDisableWriteBack(1);
    m_options.optOpen("Other.ini");
    FillGameplayOptions(m_options.Document(), vector);
    const unsigned char sparse[kGameplayOptionCount] = {0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0};
    EXPECT_EQ(memcmp(vector, sparse, kGameplayOptionCount), 0);
}

}  // namespace
