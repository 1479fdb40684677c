// Test support (Windows under Wine): runs a program of the machine itself
// through /bin/sh, its output captured in a file of a scratch directory.
#pragma once

#include "tests/support/scratch_dir.h"
#include "tests/support/tool_run.h"

#include <windows.h>

#include <string>

namespace testsupport {

// Whether the machine has this program (a Unix path).
inline bool HasUnixProgram(const std::string& path) {
    return GetFileAttributesA(SystemSidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The output of the command; waits at most 20 s for the line the shell writes
// after it (Wine cannot wait on a process of the machine itself).
inline std::string RunUnixCommand(const ScratchDir& dir, const std::string& command) {
    const std::string outputPath = dir.File("unix_output.txt");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                CREATE_ALWAYS, 0, nullptr);
    if (output == INVALID_HANDLE_VALUE) return "";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION process{};
    const char kEnd[] = "END-OF-COMMAND";
    std::string line = "/bin/sh -c \"" + command + "; echo " + kEnd + "\"";
    const BOOL started = CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(output);
    if (!started) return "";
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::string text;
    for (int i = 0; i < 200 && text.find(kEnd) == std::string::npos; ++i) {
        Sleep(100);
        text = ReadWholeFile(outputPath);
    }
    return text;
}

}  // namespace testsupport
