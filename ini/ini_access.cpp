// IniFile: typed getters and setters, enumeration and counting.
#include "ini/ini_file.h"

#include "files/strings.h"
#include "ini/ini_text.h"
#include "shell_base/log.h"

#include <cstdio>

namespace {

const int kTextSize = 260;

// Setters refuse a key they could never find again: a section without a name,
// or a key whose name is empty or only white space.
bool Storable(const char* section, const char* key) {
    if (IsEmptyString(section) || !key) return false;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(key); *p; ++p) {
        if (!IniIsSpace(*p)) return true;
    }
    return false;
}

template <class Exists>
int CountNumbered(const char* format, int32_t limit, Exists exists) {
    if (IsEmptyString(format)) return 0;
    char name[kTextSize];
    // There cannot be more distinct names than entries; the limit also ends a
    // format that does not use its number.
    int count = 0;
    while (count < limit) {
        snprintf(name, sizeof name, format, count + 1);
        if (!exists(name)) break;
        ++count;
    }
    return count;
}

}  // namespace

// ---- Getters ------------------------------------------------------------------------

int IniFile::GetInt(const char* section, const char* key, int defaultValue) {
    if (IniKey* found = FindKey(section, key)) {
        found->type = kIniInteger;
        return found->intValue;
    }
    if (m_writeBackDefaults) SetInt(section, key, defaultValue);
    return defaultValue;
}

float IniFile::GetFloat(const char* section, const char* key, float defaultValue) {
    if (IniKey* found = FindKey(section, key)) {
        found->type = kIniFloat;
        return found->floatValue;
    }
    if (m_writeBackDefaults) SetFloat(section, key, defaultValue);
    return defaultValue;
}

int IniFile::GetString(const char* section, const char* key, const char* defaultValue, char* destination,
                       int size, int caseMode) {
    IniKey* found = FindKey(section, key);
    if (!destination) return found ? 1 : 0;
    if (found) {
        CopyString(destination, found->text, size);
        if (caseMode == 1)
            ToUpperString(destination);
        else if (caseMode == 2)
            ToLowerString(destination);
        found->type = kIniString;
        return 1;
    }
    CopyString(destination, defaultValue, size);
    if (m_writeBackDefaults) SetString(section, key, defaultValue);
    return 0;
}

int IniFile::GetBool(const char* section, const char* key, int defaultValue) {
    IniKey* found = FindKey(section, key);
    if (!found) {
        if (m_writeBackDefaults) SetString(section, key, defaultValue ? "TRUE" : "FALSE");
        return defaultValue;
    }
    char text[kTextSize];
    CopyString(text, found->text, sizeof text);
    found->type = kIniString;
    if (StringsEqual(text, "TRUE", false)) return 1;
    if (StringsEqual(text, "FALSE", false)) return 0;
    int result = found->intValue != 0 ? 1 : 0;
    found->type = kIniInteger;
    if (m_writeBackDefaults) SetString(section, key, result ? "TRUE" : "FALSE");
    return result;
}

uint32_t IniFile::GetHex(const char* section, const char* key, uint32_t defaultValue) {
    if (IniKey* found = FindKey(section, key)) {
        char text[kTextSize];
        CopyString(text, found->text, sizeof text);
        found->type = kIniString;
        return IniParseUnsigned(text);
    }
    if (m_writeBackDefaults) SetHex(section, key, defaultValue);
    return defaultValue;
}

// ---- Setters ------------------------------------------------------------------------

bool IniFile::SetInt(const char* section, const char* key, int value) {
    if (!Storable(section, key)) return false;
    if (IniKey* found = FindKey(section, key)) {
        found->type = kIniInteger;
        found->intValue = value;
        return true;
    }
    IniKey* made = NewKeyWithName(key, "Unable to append string %s to the buffer!");
    if (!made) return false;
    made->type = kIniInteger;
    made->intValue = value;
    made->floatValue = static_cast<float>(value);
    if (AddKey(section, made)) return true;
    FreeKey(made);
    return false;
}

bool IniFile::SetFloat(const char* section, const char* key, float value) {
    if (!Storable(section, key)) return false;
    if (IniKey* found = FindKey(section, key)) {
        found->type = kIniFloat;
        found->floatValue = value;
        return true;
    }
    IniKey* made = NewKeyWithName(key, "Unable to append string %s to the buffer!");
    if (!made) return false;
    made->type = kIniFloat;
    made->floatValue = value;
    made->intValue = IniTruncateFloat(value);
    if (AddKey(section, made)) return true;
    FreeKey(made);
    return false;
}

bool IniFile::SetString(const char* section, const char* key, const char* value) {
    if (!Storable(section, key)) return false;
    char* text = m_emptyText;
    if (!IsEmptyString(value)) {
        text = StoreString(value);
        if (!text) {
            LogError("Unable to append string %s to the buffer!", value);
            return false;
        }
    }
    if (!text) return false;  // the shared empty text could not be made
    if (IniKey* found = FindKey(section, key)) {
        found->type = kIniString;
        found->text = text;  // stored as given, not trimmed
        return true;
    }
    IniKey* made = NewKeyWithName(key, "Unable to append string key name %s to the buffer!");
    if (!made) return false;
    // A new key is made as if read from a file: trimmed value, conversions filled.
    if (text != m_emptyText) {
        TrimString(text);
        if (*text) {
            made->text = text;
            made->intValue = IniParseInt(text);
            made->floatValue = IniParseFloat(text);
        }
    }
    if (AddKey(section, made)) return true;
    FreeKey(made);
    return false;
}

bool IniFile::SetBool(const char* section, const char* key, int value) {
    if (!Storable(section, key)) return false;
    char* text = value ? m_trueText : m_falseText;
    if (!text) return false;
    if (IniKey* found = FindKey(section, key)) {
        found->type = kIniString;
        found->text = text;
        return true;
    }
    IniKey* made = NewKeyWithName(key, "Unable to append string key name %s to the buffer!");
    if (!made) return false;
    made->text = text;  // "TRUE" and "FALSE" convert to 0 as numbers
    if (AddKey(section, made)) return true;
    FreeKey(made);
    return false;
}

bool IniFile::SetHex(const char* section, const char* key, uint32_t value) {
    char text[16];
    snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(value));
    return SetString(section, key, text);
}

// ---- Enumeration and counting ---------------------------------------------------

void IniFile::CurrentSectionName(char* destination, int size) const {
    const IniSection* section = static_cast<const IniSection*>(m_sections.Current());
    if (section) CopyString(destination, section->name, size);
}

int IniFile::KeyCount(const char* section) {
    IniSection* found = FindSection(section);
    return found ? found->KeyCount() : 0;
}

void IniFile::RewindKeys(const char* section) {
    if (IniSection* found = FindSection(section)) found->RewindKeys();
}

void IniFile::NextKey(const char* section) {
    if (IniSection* found = FindSection(section)) found->NextKey();
}

void IniFile::CurrentKeyName(const char* section, char* destination, int size) {
    if (IniSection* found = FindSection(section)) found->CurrentKeyName(destination, size);
}

int IniFile::CountNumberedSections(const char* format) {
    return CountNumbered(format, m_sections.Count(), [this](const char* name) { return HasSection(name); });
}

int IniFile::CountNumberedKeys(const char* section, const char* format) {
    IniSection* found = FindSection(section);
    return found ? found->CountNumberedKeys(format) : 0;
}

int IniSection::CountNumberedKeys(const char* format) {
    return CountNumbered(format, Keys().Count(), [this](const char* name) { return HasKey(name); });
}
