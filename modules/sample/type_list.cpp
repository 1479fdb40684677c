#include "type_list.h"

#include "files/strings.h"
#include "ini/ini_file.h"
#include "shell/log.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace sample {

namespace {

// One whole number of `text` from `*at`, blanks around it skipped.
bool ReadNumber(const char** at, int32_t* value) {
    const char* p = *at;
    while (*p == ' ' || *p == '\t') ++p;
    if (!(*p == '-' || *p == '+' || (*p >= '0' && *p <= '9'))) return false;
    char* end = nullptr;
    errno = 0;
    const long number = strtol(p, &end, 10);
    if (end == p || errno == ERANGE || number < INT32_MIN || number > INT32_MAX) return false;
    while (*end == ' ' || *end == '\t') ++end;
    *value = static_cast<int32_t>(number);
    *at = end;
    return true;
}

// The text of a key of the section; "" when it is missing or empty.
const char* KeyText(IniSection* section, const char* key) {
    const IniKey* found = section->FindKey(key);
    return found && found->text ? found->text : "";
}

}  // namespace

bool ParseRange(const char* text, int32_t* start, int32_t* end) {
    if (!text) return false;
    int32_t first = 0, second = 0;
    if (!ReadNumber(&text, &first) || *text != ',') return false;
    ++text;
    if (!ReadNumber(&text, &second) || *text) return false;
    *start = first;
    *end = second;
    return true;
}

TypeList::TypeList(const char* kind, const char* dataFileName) : m_kind(kind) {
    CopyString(m_dataFile, dataFileName, sizeof m_dataFile);
}

void TypeList::GetRecord(int index, void** record) {
    if (record && index >= 0 && index < GetCount()) *record = &m_types[static_cast<size_t>(index)].record;
}

int TypeList::IsUsable(int index) {
    return index >= 0 && index < GetCount() && m_types[static_cast<size_t>(index)].usable ? 1 : 0;
}

void TypeList::SetDataFileName(const char* name) {
    if (name && *name) CopyString(m_dataFile, name, sizeof m_dataFile);
}

void TypeList::Reload(int, int) { Load(); }

void TypeList::Forget() {
    m_types.clear();
    m_types.shrink_to_fit();  // its memory belongs to this module's heap owner
}

bool TypeList::Load() {
    m_types.clear();
    IniFile file(m_dataFile, 0, 0, 1024);
    if (file.SectionCount() == 0) {
        LogError("objects: unable to read the %s list %s", Kind(), m_dataFile);
        return false;
    }
    // Each section is read through its own keys, in file order.
    std::vector<IniSection*> sections;
    file.RewindSections();
    for (IniSection* section = file.CurrentSection(); section; file.NextSection(), section = file.CurrentSection())
        sections.push_back(section);
    int usable = 0;
    for (IniSection* section : sections) {
        Type type;
        memset(&type, 0, sizeof type);
        AircraftRecord& record = type.record;
        // Name and text are cut to their fields, always terminated.
        CopyString(record.name, KeyText(section, "Name"), sizeof record.name);
        if (!record.name[0]) {
            LogError("objects: %s type [%s] of %s has no name; left out", Kind(), section->name, m_dataFile);
            continue;
        }
        CopyString(record.text, KeyText(section, "Text"), sizeof record.text);
        const char* range = KeyText(section, "Range");
        if (*range && !ParseRange(range, &record.firstRangeStart, &record.firstRangeEnd))
            LogError("objects: %s type %s: Range %s is not two numbers", Kind(), record.name, range);
        range = KeyText(section, "Range2");
        if (*range && ParseRange(range, &record.secondRangeStart, &record.secondRangeEnd))
            record.secondRangeCount = 1;
        else if (*range)
            LogError("objects: %s type %s: Range2 %s is not two numbers", Kind(), record.name, range);
        const IniKey* flags = section->FindKey("Flags");
        const IniKey* flags2 = section->FindKey("Flags2");
        record.flags1 = flags ? static_cast<uint32_t>(flags->intValue) : 0;
        record.flags2 = flags2 ? static_cast<uint32_t>(flags2->intValue) : 0;
        const char* network = KeyText(section, "Network");
        type.usable = !(StringsEqual(network, "FALSE", false) || StringsEqual(network, "0", false));
        if (type.usable) ++usable;
        m_types.push_back(type);
    }
    LogInfo("objects: %s list %s: %d types, %d usable in network games", Kind(), m_dataFile, GetCount(),
            usable);
    return true;
}

}  // namespace sample
