// Test support for configuration documents: a scratch directory that is the
// working directory, the file manager bound as the host binds it, and a
// recorder of log messages.
#pragma once

#include "files/file_manager.h"
#include "ini/ini_file.h"
#include "platform/platform.h"
#include "tests/support/log_recorder.h"
#include "tests/ini/bound_file_manager.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace initest {

#ifdef _WIN32
const char kEol[] = "\r\n";
#else
const char kEol[] = "\n";
#endif

// Text with "\n" line ends turned into the platform's.
inline std::string Native(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += kEol;
        else
            out += c;
    }
    return out;
}

// The whole of a file, read directly; "<missing>" when it cannot be opened.
inline std::string ReadFileBytes(const std::string& path) {
    int fd = plat::FileOpenRead(path.c_str(), plat::AccessHint::Sequential);
    if (fd < 0) return "<missing>";
    std::string text;
    char buffer[4096];
    for (;;) {
        int got = plat::FileRead(fd, buffer, sizeof buffer);
        if (got <= 0) break;
        text.append(buffer, static_cast<size_t>(got));
    }
    plat::FileClose(fd);
    return text;
}

class IniTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.Made());
        ASSERT_TRUE(plat::DirChange(m_dir.Path()));
        m_log.Clear();
    }

    bool Write(const std::string& name, const std::string& bytes) { return m_dir.Write(name, bytes); }
    std::string Read(const std::string& name) { return ReadFileBytes(m_dir.File(name)); }

    // Every section with its keys as "[name]" and "key=text" lines, in list order.
    static std::string Dump(IniFile& ini) {
        std::string out;
        ini.RewindSections();
        for (IniSection* section = ini.CurrentSection(); section; ini.NextSection(), section = ini.CurrentSection()) {
            out += "[" + std::string(section->name) + "]\n";
            for (IniKey* key = static_cast<IniKey*>(section->Keys().First()); key;
                 key = static_cast<IniKey*>(section->Keys().Next())) {
                out += std::string(key->name) + "=" + (key->text ? key->text : "") + "\n";
            }
        }
        return out;
    }

    testsupport::WorkingDirGuard m_cwd;
    testsupport::ScratchDir m_dir;
    BoundFileManager m_bound;
    FileManager& m_files = m_bound.files;
    testsupport::LogRecorder m_log;
};

}  // namespace initest
