#include "fuzz/ini/ini_fuzz_entry.h"

#include "files/paths.h"
#include "fuzz/ini/memory_file_manager.h"
#include "ini/ini_file.h"
#include "tests/ini/bound_file_manager.h"

#include <string>
#include <vector>

namespace {

// The files live in memory and the service is bound once for the whole run.
struct Workspace {
    fuzzsupport::MemoryFileManager files;
    initest::FileServiceBinding binding{&files};
};

Workspace& TheWorkspace() {
    static Workspace workspace;
    return workspace;
}

bool AppendText(void* context, const char* bytes, size_t count) {
    static_cast<std::string*>(context)->append(bytes, count);
    return true;
}

std::string TextOf(IniFile& ini) {
    std::string text;
    ini.WriteText(AppendText, &text);
    return text;
}

// Writes the document's text, loads that text as a new document and writes
// it again: the two texts must be the same.
std::string CheckRoundTrip(IniFile& ini, fuzzsupport::MemoryFileManager& files) {
    const std::string saved = TextOf(ini);
    files.Put("saved.ini", saved);
    IniFile again("saved.ini", 0, 0, IniFile::kDefaultExtra);
    if (saved.size() + 1 >= static_cast<size_t>(again.PoolCapacity())) return "";  // did not fit: nothing to compare
    const std::string resaved = TextOf(again);
    if (resaved != saved) return "a saved document reads back differently:\n" + saved + "\n----\n" + resaved;
    return "";
}

// Sections are read into keys when first looked into: reading them from the
// last to the first must give the same document as reading them in order.
std::string CheckReadOrder(IniFile& inOrder) {
    IniFile reversed(inOrder.Path(), 0, 0, IniFile::kDefaultExtra);
    std::vector<IniSection*> sections;
    for (reversed.RewindSections(); IniSection* section = reversed.CurrentSection(); reversed.NextSection())
        sections.push_back(section);
    for (size_t i = sections.size(); i-- > 0;) sections[i]->KeyCount();
    const std::string expected = TextOf(inOrder);
    const std::string found = TextOf(reversed);
    if (found != expected) return "sections read in reverse order differ:\n" + expected + "\n----\n" + found;
    return "";
}

}  // namespace

std::string FuzzIniLoad(const uint8_t* data, size_t size) {
    Workspace& workspace = TheWorkspace();
    fuzzsupport::MemoryFileManager& files = workspace.files;
    files.Put("fuzz.ini", std::string(reinterpret_cast<const char*>(data), size));
    files.Put("including.ini", "[Including]\nA=1\n#include fuzz.ini\n[After]\nB=2\n");

    {
        IniFile ini("fuzz.ini", 0, 0, IniFile::kDefaultExtra);
        std::string problem = CheckReadOrder(ini);
        if (problem.empty()) problem = CheckRoundTrip(ini, files);
        if (!problem.empty()) return problem;
        // Typed reads and writes on whatever was read.
        ini.RewindSections();
        if (IniSection* section = ini.CurrentSection()) {
            if (IniKey* key = static_cast<IniKey*>(section->Keys().First())) {
                char text[kPathSize];
                ini.GetString(section->name, key->name, "", text, sizeof text, 1);
                ini.GetBool(section->name, key->name, 0);
                ini.GetHex(section->name, key->name, 0);
                ini.SetString(section->name, key->name, text);
            }
        }
    }
    {
        IniFile ini("including.ini", 0, 0, 256);
        std::string problem = CheckRoundTrip(ini, files);
        if (!problem.empty()) return problem;
        if (!ini.HasKey("Including", "A")) return "the including file's own section was lost";
    }
    if (files.OpenCount() != 0) return "a file was left open";
    return "";
}
