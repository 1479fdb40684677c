// The readers of startup.ini: each key lands in its field with its default
// when missing, paths are resolved against the base or their module's
// directory, missing keys are added in the order they are asked for, and an
// over-long value stays within its buffer.
#include "host/startup_settings.h"
#include "tests/ini/ini_fixture.h"

#include <cstring>

using initest::IniTest;

namespace {

const char kBase[] = "C:\\Game\\";

class StartupSettingsTest : public IniTest {
protected:
    StartupSettings m_settings = {};
};

TEST_F(StartupSettingsTest, WindowKeysWithAndWithoutValues) {
    struct Row {
        const char* file;
        int outputLevel;
        const char* logFile;
        int showBoxes, windowed, x, y, width, height;
    };
    const Row rows[] = {
        {"", 0, "", 1, 0, 0, 0, 0, 0},
        {"[Debug]\nOutputLevel=3\nLogFile=Logs\\varn.log\nCrashBox=FALSE\n"
         "[Window]\nWindowMode=TRUE\nWindowPosX=-20\nWindowPosY=40\nWindowWidth=800\nWindowHeight=600\n",
         3, "C:\\Game\\Logs\\varn.log", 0, 1, -20, 40, 800, 600},
        {"[Debug]\nLogFile=\nCrashBox=TRUE\n", 0, "", 1, 0, 0, 0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        ASSERT_TRUE(Write("startup.ini", row.file));
        IniFile document("startup.ini", 0, 0, IniFile::kDefaultExtra);
        const std::string before = Dump(document);
        std::memset(&m_settings, 0x55, sizeof m_settings);
        ReadWindowSettings(document, kBase, &m_settings.debug, &m_settings.window);
        EXPECT_EQ(m_settings.debug.outputLevel, row.outputLevel);
        EXPECT_STREQ(m_settings.debug.logFile, row.logFile);
        const WindowSettings& w = m_settings.window;
        EXPECT_EQ(w.showBoxes, row.showBoxes);
        EXPECT_EQ(w.windowed, row.windowed);
        EXPECT_EQ(w.x, row.x);
        EXPECT_EQ(w.y, row.y);
        EXPECT_EQ(w.width, row.width);
        EXPECT_EQ(w.height, row.height);
        EXPECT_EQ(Dump(document), before);  // nothing is written back
    }
}

TEST_F(StartupSettingsTest, TextKeysResolveAgainstTheirDirectory) {
    ASSERT_TRUE(Write("startup.ini",
                      "[Directory]\nMenuDirectory=Data\\Menus\n[System]\nMenuSystemDLL=..\\Menus.dll\n"
                      "[MenuSystem]\nInitFile=Start.ini\n[Startup]\nStartupScreen=Arena\nIntroMovieList=Intro.lst\n"));
    IniFile document("startup.ini", 0, 0, IniFile::kDefaultExtra);
    ReadStartupSettings(document, kBase, &m_settings);
    struct Row {
        const char* field;
        const char* expected;
    };
    const Row rows[] = {
        {m_settings.introMovieList, "Intro.lst"},
        {m_settings.systemDirectory, "C:\\Game\\System"},
        {m_settings.menuDirectory, "C:\\Game\\Data\\Menus"},
        {m_settings.menuInitFile, "C:\\Game\\Data\\Menus\\Start.ini"},
        {m_settings.menuDataFile, "C:\\Game\\Data\\Menus\\MenuData.cat"},
        {m_settings.flightInitFile, "C:\\Game\\Flight\\FlightEngine.ini"},
        {m_settings.pilotListFile, "C:\\Game\\PilotData\\PilotList.ini"},
        {m_settings.menuSystemDll, "..\\Menus.dll"},
        {m_settings.exporterDll, ""},
        {m_settings.optionsFile, "C:\\Game\\Options.ini"},
        {m_settings.startupScreen, "Arena"},
    };
    for (const Row& row : rows) EXPECT_STREQ(row.field, row.expected);
}

// A document that writes back its defaults gains the missing keys in the
// order they are read; a value longer than a buffer is cut at its end.
TEST_F(StartupSettingsTest, MissingKeysAreAddedInOrderAndLongValuesAreBounded) {
    const std::string longName(400, 'x');
    ASSERT_TRUE(Write("startup.ini", "[System]\nFaderDLL=" + longName + "\n"));
    IniFile document("startup.ini", 1, 0, IniFile::kDefaultExtra);
    ReadStartupSettings(document, kBase, &m_settings);
    EXPECT_EQ(std::string(m_settings.faderDll), longName.substr(0, kPathSize - 1));
    const std::string dump = Dump(document);
    const char* const order[] = {"[System]\nFaderDLL=",
                                 "NetworkLayerDLL=DirectPlay.dll\nExporterDLL=\n",
                                 "[Startup]\nIntroMovieList=\nStartupScreen=MainScreen\n",
                                 "[Directory]\nSystemDirectory=System\nMenuDirectory=Menu\n",
                                 "[Options]\nOptionsFile=Options.ini\n",
                                 "[MenuSystem]\nInitFile=MenuSystem.ini\n",
                                 "[Speech]\nDataFile=Speech.cat\nTextFile=SpeechText.cat\n"};
    size_t at = 0;
    for (const char* part : order) {
        SCOPED_TRACE(part);
        size_t found = dump.find(part, at);
        ASSERT_NE(found, std::string::npos) << dump;
        at = found;
    }
}

}  // namespace
