#include "fuzz/ini/ini_fuzz_entry.h"

#include "ini/ini_file.h"
#include "platform/platform.h"
#include "tests/ini/bound_file_manager.h"
#include "tests/support/scratch_dir.h"

#include <string>

namespace {

// One scratch directory, the working directory and the file manager's root,
// for the whole run.
struct Workspace {
    Workspace() { ready = dir.Made() && plat::DirChange(dir.Path()); }
    testsupport::ScratchDir dir;
    initest::BoundFileManager bound;
    bool ready = false;
};

Workspace& TheWorkspace() {
    static Workspace workspace;
    return workspace;
}

bool WriteBytes(const char* name, const void* data, size_t size) {
    int fd = plat::FileCreateWrite(name, plat::AccessHint::Sequential);
    if (fd < 0) return false;
    bool written = size == 0 || plat::FileWrite(fd, data, static_cast<uint32_t>(size)) == static_cast<int>(size);
    return plat::FileClose(fd) == 0 && written;
}

std::string ReadBytes(const char* name) {
    std::string text;
    int fd = plat::FileOpenRead(name, plat::AccessHint::Sequential);
    if (fd < 0) return text;
    char buffer[4096];
    int got;
    while ((got = plat::FileRead(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(got));
    plat::FileClose(fd);
    return text;
}

// Saves the document, reads the saved file back, saves that again: the two
// texts must be the same.
std::string CheckRoundTrip(IniFile& ini, const char* first, const char* second) {
    if (!ini.Save(first)) return std::string("cannot save ") + first;
    const std::string saved = ReadBytes(ini.Path());
    IniFile again(ini.Path(), 0, 0, IniFile::kDefaultExtra);
    if (saved.size() + 1 >= static_cast<size_t>(again.PoolCapacity())) return "";  // did not fit: nothing to compare
    if (!again.Save(second)) return std::string("cannot save ") + second;
    const std::string resaved = ReadBytes(again.Path());
    if (resaved != saved) return "a saved document reads back differently:\n" + saved + "\n----\n" + resaved;
    return "";
}

}  // namespace

std::string FuzzIniLoad(const uint8_t* data, size_t size) {
    Workspace& workspace = TheWorkspace();
    if (!workspace.ready) return "no workspace";
    if (!WriteBytes("fuzz.ini", data, size)) return "cannot write the input";
    static const char kIncluding[] = "[Including]\nA=1\n#include fuzz.ini\n[After]\nB=2\n";
    if (!WriteBytes("including.ini", kIncluding, sizeof kIncluding - 1)) return "cannot write the includer";

    {
        IniFile ini("fuzz.ini", 0, 0, IniFile::kDefaultExtra);
        std::string problem = CheckRoundTrip(ini, "out1", "out2");
        if (!problem.empty()) return problem;
        // Typed reads and writes on whatever was read.
        ini.RewindSections();
        if (IniSection* section = ini.CurrentSection()) {
            if (IniKey* key = static_cast<IniKey*>(section->keys.First())) {
                char text[260];
                ini.GetString(section->name, key->name, "", text, sizeof text, 1);
                ini.GetBool(section->name, key->name, 0);
                ini.GetHex(section->name, key->name, 0);
                ini.SetString(section->name, key->name, text);
            }
        }
    }
    {
        IniFile ini("including.ini", 0, 0, 256);
        std::string problem = CheckRoundTrip(ini, "out3", "out4");
        if (!problem.empty()) return problem;
        if (!ini.HasKey("Including", "A")) return "the including file's own section was lost";
    }
    return "";
}
