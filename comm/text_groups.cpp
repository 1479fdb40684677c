// Keyed groups of values: the text attributes of a font section, the
// one-dimensional look-up table and the copy of a whole section.
#include "comm/text_values.h"

#include "files/strings.h"
#include "ini/ini_file.h"
#include "shell/log.h"
#include "shell/shell_memory.h"

#include <cstdio>
#include <cstring>
#include <new>

bool ReadTextAttributes(IniFile& ini, const char* section, TextAttributes* out) {
    ini.GetString(section, "TextFontName", "", out->fontName, sizeof out->fontName, 0);
    out->textSize = ini.GetInt(section, "TextSize", 0);
    out->styleFlags = 0;
    if (out->textSize <= 0) return false;
    if (ini.GetBool(section, "TextBold", 0)) out->styleFlags |= kTextBold;
    if (ini.GetBool(section, "TextItalic", 0)) out->styleFlags |= kTextItalic;
    if (ini.GetBool(section, "TextUnderline", 0)) out->styleFlags |= kTextUnderline;
    if (ini.GetBool(section, "TextStrikeOut", 0)) out->styleFlags |= kTextStrikeOut;
    if (ini.GetBool(section, "TextShadow", 0)) {
        out->styleFlags |= kTextShadow;
        ReadEffectColor(ini, section, "ShadowColor", &out->effectColor);
        out->effectSize = ini.GetInt(section, "ShadowOffset", 1);
    } else if (ini.GetBool(section, "TextOutline", 0)) {
        out->styleFlags |= kTextOutline;
        ReadEffectColor(ini, section, "OutlineColor", &out->effectColor);
        out->effectSize = ini.GetInt(section, "OutlineSize", 1);
    }
    return true;
}

void ReleaseLookupTable1D(LookupTable1D* table) {
    ShellFree(table->values);
    table->values = nullptr;
    table->count = 0;
}

bool ReadLookupTable1D(IniFile& ini, const char* section, const char* prefix, LookupTable1D* table) {
    char key[kValueTextSize];
    auto name = [&](const char* suffix) {
        snprintf(key, sizeof key, "%s%s", prefix ? prefix : "", suffix);
        return key;
    };
    const int32_t count = ini.GetInt(section, name("NumData"), 0);
    if (count <= 0) return false;
    const float deltaX = ini.GetFloat(section, name("DeltaX"), 0.0f);
    const float startX = ini.GetFloat(section, name("StartX"), 0.0f);
    // The byte size in 64 bits: a count from a file may be any positive int.
    const long long bytes = 4LL * count;
    const bool fits = static_cast<unsigned long long>(bytes) <= SIZE_MAX;
    float* data = fits ? static_cast<float*>(ShellAlloc(static_cast<size_t>(bytes))) : nullptr;
    if (data) ReadNumberList(ini, section, name("Data"), count, data);

    ReleaseLookupTable1D(table);
    table->count = count;
    table->deltaX = deltaX;
    table->startX = startX;
    table->reciprocalDeltaX = 1.0f / deltaX;
    table->values = fits ? static_cast<float*>(ShellAlloc(static_cast<size_t>(bytes))) : nullptr;
    bool made = table->values != nullptr;
    if (!made) {
        LogError("Unable to allocate memory for 1-D look-up table (size %lld)!", bytes);
        table->count = 0;
    } else if (data) {
        memcpy(table->values, data, static_cast<size_t>(bytes));
    } else {
        memset(table->values, 0, static_cast<size_t>(bytes));
    }
    ShellFree(data);
    return made;
}

bool CopySection(IniFile& source, IniFile& target, const char* section) {
    IniSection* from = source.FindSection(section);
    if (!from) return true;
    char* value = new (std::nothrow) char[kCopyValueSize];
    if (!value) return false;
    bool copied = true;
    // Walks the key objects themselves, so names of any length are copied whole.
    for (IniKey* key = static_cast<IniKey*>(from->Keys().First()); key; key = static_cast<IniKey*>(from->Keys().Next())) {
        CopyString(value, key->text, kCopyValueSize);
        if (!target.SetString(section, key->name, value)) copied = false;
    }
    delete[] value;
    return copied;
}
