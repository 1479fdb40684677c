// Varn.exe runs with the probe module set and a network layer, for the tests
// of network sessions: a game directory each, started from a command line
// and followed through the probe's journal.
#pragma once

#include <winsock2.h>

#include "tests/host/probe/probe_game.h"
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
    bool Start(const std::string& arguments) {
        std::string command = "\"" + SystemSidePath(VARN_EXE) + "\" " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        return CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, m_dir.Path(), &startup,
                              &m_process) != 0;
    }
    DWORD ProcessId() const { return m_process.dwProcessId; }
    // The exit code, or -1 when the process did not end in time (it is then ended).
    int Wait(DWORD milliseconds) {
        if (!m_process.hProcess) return -2;
        DWORD code = static_cast<DWORD>(-1);
        if (WaitForSingleObject(m_process.hProcess, milliseconds) == WAIT_OBJECT_0)
            GetExitCodeProcess(m_process.hProcess, &code);
        else
            TerminateProcess(m_process.hProcess, 99);
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
        m_process = PROCESS_INFORMATION{};
        return static_cast<int>(code);
    }
    // Waits (at most 60 s) until the journal holds the line.
    bool WaitForLine(const std::string& line) {
        for (int i = 0; i < 600; ++i) {
            if (Journal().find(line) != std::string::npos) return true;
            if (WaitForSingleObject(m_process.hProcess, 100) == WAIT_OBJECT_0) return Journal().find(line) != std::string::npos;
        }
        return false;
    }
    ~Game() {
        if (m_process.hProcess) Wait(0);
    }

private:
    ScratchDir m_dir;
    PROCESS_INFORMATION m_process{};
    bool m_ok = false;
};

// A UDP port of the loopback address that is free now; 0 when none can be bound.
inline int FreeLoopbackPort() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 0;
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int port = 0;
    int length = sizeof address;
    if (s != INVALID_SOCKET && bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (s != INVALID_SOCKET) closesocket(s);
    WSACleanup();
    return port;
}

}  // namespace netgame
