// Test support: runs one of the command-line tools as a process, with its
// standard output and error captured in files of a scratch directory.
#pragma once

#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace testsupport {

// A path of the build or source tree as this program's system sees it (under
// Wine the Linux tree is drive Z:).
inline std::string SystemSidePath(std::string path) {
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
#endif
    return path;
}

inline std::string Quote(const std::string& text) { return "\"" + text + "\""; }

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(HostPath(path), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct ToolResult {
    int code;
    std::string out;
    std::string err;
};

// A fixture for one tool, named by its path in the build tree.
class ToolTest : public ::testing::Test {
protected:
    explicit ToolTest(const char* toolPath) : m_tool(SystemSidePath(toolPath)) {}
    void SetUp() override { ASSERT_TRUE(m_dir.Made()); }

    ToolResult Run(const std::string& arguments) {
        std::string out = m_dir.File("stdout.txt");
        std::string err = m_dir.File("stderr.txt");
        std::string command = Quote(m_tool) + " " + arguments + " > " + Quote(Host(out)) + " 2> " + Quote(Host(err));
#ifdef _WIN32
        command = "\"" + command + "\"";  // cmd /c keeps the inner quotes only inside an outer pair
#endif
        int status = std::system(command.c_str());
#ifdef _WIN32
        int code = status;
#else
        int code = (status & 0x7F) == 0 ? (status >> 8) & 0xFF : -1;
#endif
        return {code, ReadWholeFile(out), ReadWholeFile(err)};
    }

    // A path of the scratch directory as the command shell wants it.
    std::string Host(const std::string& path) { return HostPath(path).string(); }
    // A quoted argument naming a file of the scratch directory.
    std::string File(const std::string& name) { return Quote(Host(m_dir.File(name))); }
    std::string Contents(const std::string& name) { return ReadWholeFile(m_dir.File(name)); }

    ScratchDir m_dir;

private:
    std::string m_tool;
};

}  // namespace testsupport
