// A module built with the Microsoft C++ ABI (tests/host/probe/msvc_probe.cpp)
// in the probe module set: Varn.exe loads it as the flight engine, and one
// flight's journal shows the host's calls reaching it, its calls of the host
// services, of varnComm's "COM" and of a gcc-built module coming back right,
// and the gcc-built module's calls of its interface.
#include "tests/host/probe/probe_game.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/tool_run.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

using testsupport::ReadWholeFile;
using testsupport::ScratchDir;
using testsupport::SystemSidePath;
using Lines = std::vector<std::string>;

namespace {

const char kOneFlight[] = "[MNU]\nRun=0,1\n[MSN]\nNextScreen=Debrief\n";

// The journal's lines with the game directory written as $G.
Lines JournalOf(const ScratchDir& game) {
    std::string text = ReadWholeFile(game.File("ProbeJournal.txt"));
    Lines lines;
    size_t begin = 0;
    for (size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1) {
        std::string line = text.substr(begin, end - begin);
        for (size_t at; (at = line.find(game.Path())) != std::string::npos;) line.replace(at, strlen(game.Path()), "$G");
        lines.push_back(line);
    }
    return lines;
}

// Whether every line of expected is in journal, in this order.
bool InOrder(const Lines& journal, const Lines& expected) {
    auto at = journal.begin();
    for (const std::string& line : expected) {
        at = std::find(at, journal.end(), line);
        if (at == journal.end()) return false;
        ++at;
    }
    return true;
}

std::string Show(const Lines& lines) {
    std::string text;
    for (const std::string& line : lines) text += "  " + line + "\n";
    return text;
}

TEST(MsvcModule, FliesAFlightCallingTheHostTheCommMenuAndAGccModule) {
    ScratchDir game;
    ASSERT_TRUE(game.Made());
    ASSERT_TRUE(probe::PlaceProbeModules(game.Path(), SystemSidePath(HOST_PROBE_DLL), {"FlightEngine.dll"}));
    std::string system = std::string(game.Path()) + "\\System\\";
    ASSERT_TRUE(CopyFileA(SystemSidePath(MSVC_PROBE_DLL).c_str(), (system + "FlightEngine.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(SystemSidePath(VARN_COMM_DLL).c_str(), (system + "varnComm.dll").c_str(), FALSE));
    ASSERT_TRUE(game.Write("Probe.ini", kOneFlight));

    std::string command = "\"" + SystemSidePath(VARN_EXE) + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, game.Path(), &startup,
                               &process));
    DWORD code = 99;
    {
        testsupport::MessageBoxWatcher watcher(nullptr, process.dwProcessId);
        // A guard against a hang only: the run itself takes a few seconds.
        if (WaitForSingleObject(process.hProcess, 300000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
        else TerminateProcess(process.hProcess, 99);
        for (const auto& box : watcher.Boxes()) ADD_FAILURE() << "box " << box.caption << ": " << box.text;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    Lines journal = JournalOf(game);
    EXPECT_EQ(code, 1u) << "journal:\n" << Show(journal);

    const std::string size = std::to_string(strlen(kOneFlight));
    Lines expected = {
        "FlightEngine.dll InitDLL FLT,ABI (MSVC)",
        "MSVC SDK Version = 1 (this module's 1), TextAttributes = 284 (284)",
        "MSVC fltSetScreenShotDirectory($G\\ScreenShots)",
        "MSVC fltSetVersion(v02.19.07) = 0",
        "MSVC fltRun($G\\Flight, $G\\Flight\\FlightEngine.ini)",
        "MSVC FMG fmgGetFileSize(Probe.ini) = " + size + ", fmgFileExists = 1",
        "MSVC CLK clkGetTime agrees with clkGetTimeMs",
        "MSVC RND rndGetSeed() = 77, rndScale agrees with rndRange",
        "MSVC OPT optGetIniFile = 1 (a document), optReleaseIniFile = 0 (cleared)",
        "MSVC APP message(11, 22)",
        "MSVC DLL dllLoadLibrary(varnComm) = 1, COM = 1",
    };
    for (int command = 2; command <= 11; ++command)
        expected.push_back("CTL ctlRegisterCommandCallback(" + std::to_string(command) + ")");
    for (int command = 2; command <= 11; ++command)
        expected.push_back("CTL ctlUnregisterCommandCallback(" + std::to_string(command) + ")");
    expected.insert(expected.end(), {
        "MSVC DLL dllFreeLibrary(varnComm) = 1",
        // 1 - 2 + 3 * 4 - 5; 1.25 * 3; "thiscall" cut to 7 characters; (20 + 1) * 2 + 1000.
        "HLD abi mix=6 scale=3.75 copy=7:thiscal call=1042",
        "MSVC fltRun = 0",
        "FlightEngine.dll ExitDLL (MSVC)",
        "MNU mnuRun($G\\Menu, $G\\Menu\\MenuSystem.ini, Debrief) = 1",
    });
    EXPECT_TRUE(InOrder(journal, expected)) << "expected in order:\n" << Show(expected) << "journal:\n" << Show(journal);
}

}  // namespace
