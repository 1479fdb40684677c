#include "probe.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace probe {

namespace {

std::string InWorkingDirectory(const char* name) {
    char directory[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, directory);
    return std::string(directory) + "\\" + name;
}

}  // namespace

void Journal(const std::string& line) {
    // Each copy of the probe opens, appends and closes: lines from several
    // DLLs never interleave within a line.
    FILE* file = fopen(InWorkingDirectory("ProbeJournal.txt").c_str(), "ab");
    if (!file) return;
    fprintf(file, "%s\n", line.c_str());
    fclose(file);
}

std::string Setting(const char* section, const char* key) {
    char value[1024] = "";
    GetPrivateProfileStringA(section, key, "", value, sizeof value, InWorkingDirectory("Probe.ini").c_str());
    return value;
}

int ScriptedResult(const char* section, const char* key, int call, int fallback) {
    std::string list = Setting(section, key);
    const char* item = list.c_str();
    for (int i = 0; *item; ++i) {
        if (i == call) return atoi(item);
        const char* comma = strchr(item, ',');
        if (!comma) break;
        item = comma + 1;
    }
    return fallback;
}

bool ListHas(const std::string& list, const char* id) {
    size_t length = strlen(id);
    for (size_t at = list.find(id); at != std::string::npos; at = list.find(id, at + 1)) {
        bool starts = at == 0 || list[at - 1] == ',' || list[at - 1] == ' ';
        bool ends = at + length == list.size() || list[at + length] == ',' || list[at + length] == ' ';
        if (starts && ends) return true;
    }
    return false;
}

}  // namespace probe
