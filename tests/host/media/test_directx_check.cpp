// The DirectX check: version code and text, the file-version table on
// directories of DLLs with real version resources, and the refusal message box.
#include "host/media/directx_check.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

const char kRefusal[] = "You must have DirectX 9.0 or higher to run this application.";

std::string VersionDll(const std::string& name) {
    std::string path = MEDIA_VERSION_DIR "/" + name + ".dll";
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

// What a test's diagnostics method answers.
uint32_t g_major = 0;
uint32_t g_minor = 0;
char g_letter = ' ';
long ScriptedDiagnostics(uint32_t* major, uint32_t* minor, char* letter) {
    *major = g_major;
    *minor = g_minor;
    *letter = g_letter;
    return S_OK;
}
long FailingDiagnostics(uint32_t*, uint32_t*, char*) { return E_FAIL; }

TEST(DirectXVersion, CodeAndTextOfMajorMinorLetter) {
    struct Case {
        uint32_t major, minor;
        char letter;
        int textSize;
        uint32_t code;
        const char* text;
    } cases[] = {
        {9, 0, 'c', 10, 0x00090003, "9.0c"},
        {9, 0, 'C', 10, 0x00090003, "9.0c"},   // the letter in either case
        {9, 0, 'b', 10, 0x00090002, "9.0b"},
        {8, 1, ' ', 10, 0x00080100, "8.1"},    // blank: no letter
        {8, 1, '\0', 10, 0x00080100, "8.1"},
        {9, 0, 'z', 10, 0x0009001A, "9.0z"},
        {9, 0, '+', 10, 0x00090000, "9.0+"},   // not a letter: no place in the code
        {8, 256, 'c', 10, 0x0008FF03, "8.255c"},  // minor stays in its byte, never 9.0c
        {300, 0, ' ', 10, 0x00FF0000, "255.0"},
        {255, 255, 'z', 10, 0x00FFFF1A, "255.255z"},
        {9, 0, 'c', 4, 0x00090003, "9.0"},     // the text is cut to its buffer
    };
    for (const Case& c : cases) {
        char text[16];
        memset(text, 'X', sizeof text);
        EXPECT_EQ(c.code, FormatDirectXVersion(c.major, c.minor, c.letter, text, c.textSize))
            << c.major << "." << c.minor << c.letter;
        EXPECT_STREQ(c.text, text);
        EXPECT_EQ('X', text[c.textSize]) << "wrote past the text size";
    }
}

TEST(DirectXVersion, FileVersionOfTestDlls) {
    uint64_t version = 0;
    EXPECT_EQ(S_OK, GetFileVersion(VersionDll("v5_1_2600_881").c_str(), &version));
    EXPECT_EQ(5ull << 48 | 1ull << 32 | 2600ull << 16 | 881, version);
    EXPECT_EQ(E_FAIL, GetFileVersion(VersionDll("noversion").c_str(), &version));
    EXPECT_EQ(E_FAIL, GetFileVersion(VersionDll("missing").c_str(), &version));
    EXPECT_EQ(E_INVALIDARG, GetFileVersion(nullptr, &version));
    EXPECT_EQ(E_INVALIDARG, GetFileVersion(VersionDll("v5_1_2600_881").c_str(), nullptr));
}

// Each case is a directory of DirectX files made of the test DLLs; the diagnostics
// method fails, so the files decide, and nothing below 9.0c passes. Under Wine
// this needs native load order for the DirectX names (the test's environment).
TEST(DirectXVersion, FileTableOnTestDirectories) {
    struct File {
        const char* name;
        const char* dll;
    };
    struct Case {
        std::vector<File> files;
        uint32_t code;
        const char* text;
    } cases[] = {
        {{}, 0x00000000, "0.0"},
        {{{"d3d9.dll", "v5_3_2600_2180"}, {"d3d8.dll", "v5_1_2600_881"}}, 0x00090000, "9.0"},
        {{{"d3d9.dll", "noversion"}, {"d3d8.dll", "v5_1_2600_881"}}, 0x00080100, "8.1"},
        {{{"ddraw.dll", "v4_7_0_700"}, {"d3d8.dll", "v5_1_2600_880"}}, 0x00070000, "7.0"},
        {{{"d3d8.dll", "v4_8_1_901"}}, 0x00080101, "8.1a"},
        {{{"d3d8.dll", "v4_8_1_900"}}, 0x00080100, "8.1"},
        {{{"ddraw.dll", "v4_6_0_436"}}, 0x00060100, "6.1"},
        {{{"ddraw.dll", "v4_6_0_435"}}, 0x00060000, "6.0"},
        {{{"ddraw.dll", "v4_6_3_518"}}, 0x00060100, "6.1"},  // the third part outweighs the fourth
        {{{"ddraw.dll", "v4_8_0_400"}, {"dplayx.dll", "v4_6_3_518"}}, 0x00080000, "8.0"},
        {{{"mpg2splt.ax", "v6_3_1_885"}, {"dplayx.dll", "v4_6_3_518"}}, 0x00080102, "8.1b"},
        {{{"ddraw.dll", "v5_1_2600_881"}}, 0x00080000, "8.0"},  // 5.x against its own minimum
    };
    for (const Case& c : cases) {
        testsupport::ScratchDir dir;
        ASSERT_TRUE(dir.Made());
        std::string names;
        for (const File& file : c.files) {
            ASSERT_TRUE(CopyFileA(VersionDll(file.dll).c_str(), dir.File(file.name).c_str(), FALSE)) << file.dll;
            names += std::string(file.name) + "=" + file.dll + " ";
        }
        uint32_t code = 0xDEAD;
        char text[10] = "junk";
        EXPECT_EQ(S_OK, GetDirectXVersionWith(FailingDiagnostics, dir.Path(), &code, text, sizeof text)) << names;
        EXPECT_EQ(c.code, code) << names;
        EXPECT_STREQ(c.text, text) << names;
    }
    uint32_t code = 1;
    char text[10] = "junk";
    EXPECT_EQ(S_OK, GetDirectXVersionWith(nullptr, "", &code, text, sizeof text));
    EXPECT_EQ(0u, code);
    EXPECT_STREQ("0.0", text);
}

// The check's decision and its one message box, with the first method scripted.
TEST(DirectXVersion, CheckRefusesBelowNineCWithItsMessage) {
    testsupport::ScratchDir nineZero;
    ASSERT_TRUE(CopyFileA(VersionDll("v5_3_2600_2180").c_str(), nineZero.File("d3d9.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(VersionDll("v5_1_2600_881").c_str(), nineZero.File("d3d8.dll").c_str(), FALSE));
    struct Case {
        DirectXVersionMethod diagnostics;
        uint32_t major, minor;
        char letter;
        int result;
    } cases[] = {
        {ScriptedDiagnostics, 9, 0, 'c', 1},
        {ScriptedDiagnostics, 10, 0, ' ', 1},
        {ScriptedDiagnostics, 9, 0, 'b', 0},
        {ScriptedDiagnostics, 9, 0, ' ', 0},
        {FailingDiagnostics, 0, 0, ' ', 0},  // the files say 9.0
    };
    for (const Case& c : cases) {
        g_major = c.major;
        g_minor = c.minor;
        g_letter = c.letter;
        std::vector<testsupport::MessageBoxWatcher::Box> boxes;
        {
            testsupport::MessageBoxWatcher watcher("Error!");
            EXPECT_EQ(c.result, DirectXCheckWith(c.diagnostics, nineZero.Path()))
                << c.major << "." << c.minor << c.letter;
            boxes = watcher.Boxes();
        }
        if (c.result == 1) {
            EXPECT_TRUE(boxes.empty());
        } else {
            ASSERT_EQ(1u, boxes.size());
            EXPECT_EQ("Error!", boxes[0].caption);
            EXPECT_EQ(kRefusal, boxes[0].text);
        }
    }
}

}  // namespace
