// TextUSEnglish.dll: the text manager ("TXT"). Text files are ".str" files in
// INI form, their texts in the section [Texts], read through the file manager
// (so from the catalogs); each stays loaded until it has been unloaded as
// often as it was loaded. Looked-up texts live in the loaded document.
#include "ini/ini_file.h"
#include "module_support.h"
#include "shell/log.h"

#include <memory>
#include <string>
#include <vector>

#include <strings.h>

namespace {

const char kOwner[] = "TEXT";

struct TextFile {
    explicit TextFile(const char* fileName) : name(fileName), texts(fileName, 0, 0, 1024) {}
    std::string name;
    IniFile texts;
    int loads = 1;
};

class TextManager final : public ITextManager {
public:
    void txtLoadTextFile(const char* name) override {
        if (!name || !*name) return;
        if (TextFile* file = Find(name)) {
            ++file->loads;
            return;
        }
        auto file = std::make_unique<TextFile>(name);
        if (!file->texts.HasSection("Texts")) {
            LogError("text: unable to load text file %s", name);
            return;
        }
        m_files.push_back(std::move(file));
    }

    void txtUnloadTextFile(const char* name) override {
        for (size_t i = 0; i < m_files.size(); ++i)
            if (name && strcasecmp(m_files[i]->name.c_str(), name) == 0 && --m_files[i]->loads == 0)
                m_files.erase(m_files.begin() + static_cast<long>(i));
    }

    const char* txtLookUpText(const char* name, const char* key) override {
        TextFile* file = name ? Find(name) : nullptr;
        IniKey* found = file && key ? file->texts.FindKey("Texts", key) : nullptr;
        if (!found) return nullptr;
        return found->text ? found->text : "";
    }

    void Clear() { m_files.clear(); }

private:
    TextFile* Find(const char* name) {
        for (auto& file : m_files)
            if (strcasecmp(file->name.c_str(), name) == 0) return file.get();
        return nullptr;
    }

    std::vector<std::unique_ptr<TextFile>> m_files;
};

TextManager g_text;
const sample::Published kPublished[] = {{VARN_ID_TXT, static_cast<ITextManager*>(&g_text)}};

void UnloadTexts() { g_text.Clear(); }

}  // namespace

SAMPLE_MODULE_ENTRY_POINTS(kOwner, kPublished, nullptr, UnloadTexts)
