#include "module_support.h"

#include "shell/log.h"

namespace sample {

int32_t AttachModule(const char* owner, uintptr_t module, IInterfaceManager* registry, const Published* list,
                     int count) {
    ShellAttach(owner, registry);
    for (int i = 0; i < count; ++i)
        if (!registry->RegisterInterface(list[i].id, list[i].object, module))
            LogError("%s: unable to publish %s", owner, list[i].id);
    return 1;
}

int32_t DetachModule(const char* owner, const Published* list, int count) {
    if (IInterfaceManager* registry = ShellGetRegistry())
        for (int i = 0; i < count; ++i) registry->UnregisterInterface(list[i].id);
    return ShellDetach(owner);
}

bool ReadGameFile(const char* name, std::string* contents) {
    contents->clear();
    IFileManager* files = ShellGetFileManager();
    if (!files || !name || !*name) return false;
    const int size = files->fmgGetFileSize(name);
    if (size <= 0 || size > (4 << 20)) return false;
    const int handle = files->fmgOpenFile(name, 0);
    if (handle == -1) return false;
    contents->resize(static_cast<size_t>(size));
    const int got = files->fmgReadFile(handle, &(*contents)[0], static_cast<uint32_t>(size));
    files->fmgCloseFile(handle);
    if (got != size) contents->clear();
    return got == size;
}

namespace {

std::string Trimmed(const std::string& text, size_t begin, size_t end) {
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r')) --end;
    return text.substr(begin, end - begin);
}

}  // namespace

bool KeyedText::Parse(const std::string& text, int* errorLine) {
    m_entries.clear();
    size_t start = 0;
    for (int line = 1; start < text.size(); ++line) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string content = Trimmed(text, start, end);
        start = end + 1;
        if (content.empty() || content[0] == ';' || content[0] == '#') continue;
        const size_t equals = content.find('=');
        if (equals == std::string::npos || equals == 0) {
            if (errorLine) *errorLine = line;
            m_entries.clear();
            return false;
        }
        m_entries.emplace_back(Trimmed(content, 0, equals), Trimmed(content, equals + 1, content.size()));
    }
    return true;
}

const char* KeyedText::Get(const char* key, const char* fallback) const {
    for (const auto& entry : m_entries)
        if (entry.first == key) return entry.second.c_str();
    return fallback;
}

}  // namespace sample
