// Varn.exe runs with the probe module set and a network layer, for the tests
// of network sessions: a game directory each, started from a command line
// and followed through the probe's journal.
#pragma once

#include "tests/host/probe/probe_game.h"
#include "tests/support/game_process.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/tool_run.h"

#include <windows.h>

#include <string>

namespace netgame {

using testsupport::ReadWholeFile;
using testsupport::ScratchDir;
using testsupport::SystemSidePath;

inline const char kProbeIni[] =
    "[Roles]\nTextUSEnglish.dll=TXT\nDirectPlay.dll=NET\n"
    "[TXT]\nTXT_MENU_CREATING=Creating\nTXT_MENU_CONNECTING=Connecting\nTXT_MENU_CHECKING=Checking\n"
    "TXT_MENU_ERR_CLOSED=The session is closed\nTXT_MENU_ERR_OTHER=Could not join\n"
    "[OBJ]\nAircraftTypes=3\nUsable=1,0,1\n";

// A game directory with the probe modules, the given network layer and startup.ini.
class Game {
public:
    Game(const std::string& networkLayer, const std::string& probeIni) {
        m_ok = m_dir.Made() && probe::PlaceProbeModules(m_dir.Path(), SystemSidePath(HOST_PROBE_DLL));
        m_ok = m_ok && CopyFileA(SystemSidePath(networkLayer).c_str(), m_dir.File("System\\DirectPlay.dll").c_str(), FALSE);
        const std::string startup = ReadWholeFile(SystemSidePath(std::string(VARN_TEST_SOURCE_DIR) + "/tests/data/default_startup.ini"));
        m_ok = m_ok && !startup.empty() &&
               m_dir.Write("startup.ini", startup + "\n[NetLaunch]\nGameType0Screen=MpArena\nGameType1Screen=MpBriefing\n"
                                                    "ConnectionTimeout=30\n") &&
               m_dir.Write("Probe.ini", probeIni);
    }
    bool Ok() const { return m_ok; }
    ScratchDir& Dir() { return m_dir; }
    std::string Journal() { return ReadWholeFile(m_dir.File("ProbeJournal.txt")); }

    // Starts Varn.exe here with these arguments.
    bool Start(const std::string& arguments) { return m_process.Start(SystemSidePath(VARN_EXE), arguments, m_dir.Path()); }
    DWORD ProcessId() const { return m_process.ProcessId(); }
    // The exit code, or -1 when the process did not end in time (it is then ended).
    int Wait(DWORD milliseconds) { return m_process.Wait(milliseconds); }
    // Waits (at most 60 s) until the journal holds the line.
    bool WaitForLine(const std::string& line) { return m_process.WaitForText(m_dir.File("ProbeJournal.txt"), line); }

private:
    ScratchDir m_dir;
    testsupport::GameProcess m_process;
    bool m_ok = false;
};

using testsupport::FreeLoopbackPort;

}  // namespace netgame
