#include "comm/value_text.h"

#include "comm/text_values.h"
#include "files/strings.h"
#include "ini/ini_file.h"
#include "ini/ini_text.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace valuetext {

void Read(IniFile& ini, const char* section, const char* key, char* buffer, int size) {
    buffer[0] = '\0';
    ini.GetString(section, key, "", buffer, size, 0);
}

int Split(const char* text, const char** fields, int max) {
    int count = 0;
    const char* position = text;
    while (position && count < max) {
        fields[count++] = position;
        position = FindChar(position, ',');
        if (position) ++position;
    }
    return count;
}

int32_t ParseInt(const char* text) { return IniParseInt(text); }

double ParseDouble(const char* text) { return strtod(text, nullptr); }

float ParseFloat(const char* text) { return IniNarrow(ParseDouble(text)); }

bool Write(IniFile& ini, const char* section, const char* key, const char* format, ...) {
    // Room for three doubles of any size written with "%f".
    char text[1024];
    va_list values;
    va_start(values, format);
    vsnprintf(text, sizeof text, format, values);
    va_end(values);
    return ini.SetString(section, key, text);
}

}  // namespace valuetext
