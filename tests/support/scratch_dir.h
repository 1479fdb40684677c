// Test support: a fresh directory under the system's temporary directory for
// one test, removed with everything in it when the test ends, and a guard that
// puts the working directory back.
#pragma once

#include "files/paths.h"
#include "platform/platform.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace testsupport {

// Paths of the system use backslashes; std::filesystem wants the host's own.
inline std::filesystem::path HostPath(const std::string& path) {
#ifdef _WIN32
    return std::filesystem::path(path);
#else
    std::string converted = path;
    for (char& c : converted) {
        if (c == '\\') c = '/';
    }
    return std::filesystem::path(converted);
#endif
}

class ScratchDir {
public:
    ScratchDir() {
        static int counter = 0;
        char temp[kPathSize] = "";
        if (!plat::DirTemp(temp, sizeof temp)) return;
        m_path = std::string(temp) + "\\varn_test_" + std::to_string(plat::CurrentThreadId()) + "_" +
                 std::to_string(plat::TimerTime()) + "_" + std::to_string(++counter);
        m_made = plat::DirMake(m_path.c_str());
    }
    ~ScratchDir() {
        if (!m_made) return;
        std::error_code error;
        std::filesystem::remove_all(HostPath(m_path), error);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    bool Made() const { return m_made; }
    const char* Path() const { return m_path.c_str(); }
    std::string File(const std::string& name) const { return m_path + "\\" + name; }

    // Writes a file of the given contents; true when all of it was written.
    bool Write(const std::string& name, const std::string& contents) const {
        int fd = plat::FileCreateWrite(File(name).c_str(), plat::AccessHint::Sequential);
        if (fd < 0) return false;
        int written = plat::FileWrite(fd, contents.data(), static_cast<uint32_t>(contents.size()));
        plat::FileClose(fd);
        return written == static_cast<int>(contents.size());
    }

private:
    std::string m_path;
    bool m_made = false;
};

class WorkingDirGuard {
public:
    WorkingDirGuard() { plat::DirGetCurrent(m_path, sizeof m_path); }
    ~WorkingDirGuard() { plat::DirChange(m_path); }
    WorkingDirGuard(const WorkingDirGuard&) = delete;
    WorkingDirGuard& operator=(const WorkingDirGuard&) = delete;
    const char* Path() const { return m_path; }

private:
    char m_path[4096] = "";
};

// A 260-byte buffer followed by canary bytes that no bounded write may touch.
struct GuardedBuffer {
    static const int kSize = 260;
    static const int kGuard = 16;
    static const char kCanary = 0x5A;
    char bytes[kSize + kGuard];
    GuardedBuffer() { memset(bytes, kCanary, sizeof bytes); }
    char* data() { return bytes; }
    bool CanaryIntact() const {
        for (int i = kSize; i < kSize + kGuard; ++i) {
            if (bytes[i] != kCanary) return false;
        }
        return true;
    }
};

}  // namespace testsupport
