// Test support (Windows): Varn.exe started as a process in a game directory,
// waited for, watched through a text file it writes (its log), and closed
// through its main window as the window's close box does; and a free UDP port
// of the loopback address for a session.
#pragma once

#include <winsock2.h>

#include "tests/support/tool_run.h"

#include <windows.h>

#include <string>

namespace testsupport {

class GameProcess {
public:
    GameProcess() = default;
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;
    ~GameProcess() {
        if (m_process.hProcess) Wait(0);
    }

    // Starts `program` with these arguments in `directory` (paths as the system sees them).
    bool Start(const std::string& program, const std::string& arguments, const std::string& directory) {
        std::string command = "\"" + program + "\" " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        return CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &startup,
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

    // Waits (at most 60 s) until the file holds the text; false as soon as the
    // process has ended without it.
    bool WaitForText(const std::string& file, const std::string& text) {
        for (int i = 0; i < 600; ++i) {
            if (ReadWholeFile(file).find(text) != std::string::npos) return true;
            if (!m_process.hProcess || WaitForSingleObject(m_process.hProcess, 100) == WAIT_OBJECT_0)
                return ReadWholeFile(file).find(text) != std::string::npos;
        }
        return false;
    }

    // Asks the process's visible top-level window to close; false when it has none.
    bool CloseWindow() {
        WindowSearch search = {m_process.dwProcessId, nullptr};
        EnumWindows(&FindProcessWindow, reinterpret_cast<LPARAM>(&search));
        return search.window && PostMessageA(search.window, WM_CLOSE, 0, 0);
    }

private:
    struct WindowSearch {
        DWORD processId;
        HWND window;
    };
    static BOOL CALLBACK FindProcessWindow(HWND window, LPARAM context) {
        WindowSearch* search = reinterpret_cast<WindowSearch*>(context);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
        search->window = window;
        return FALSE;
    }

    PROCESS_INFORMATION m_process{};
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

}  // namespace testsupport
