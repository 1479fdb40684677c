#include "tools/varnini/compound_types.h"

#include "comm/text_values.h"
#include "ini/ini_file.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// The largest list:N: a 4096-character text holds fewer numbers.
const int kMaxListCount = 4096;

struct TypeInfo {
    const char* name;
    bool hasWriter;
    char separator;  // the character a stored value needs...
    int separators;  // ...at least this many times
};

const TypeInfo kTypes[] = {
    {"pair", true, ',', 1},    {"quad", true, ',', 3},    {"rgb", true, ',', 2},   {"fpair", true, ',', 1},
    {"ftriple", true, ',', 1}, {"angles", true, ',', 1},  {"time", true, ':', 1},  {"date", true, '/', 0},
    {"list", false, ',', 0},   {"color", false, ',', 0},  {"effect", false, ',', 0}, {"font", false, ',', 0},
    {"table", false, ',', 0},
};

const TypeInfo* Find(const std::string& name) {
    for (const TypeInfo& info : kTypes) {
        if (name == info.name) return &info;
    }
    return nullptr;
}

std::string Line(const char* format, ...) {
    char text[1024];
    va_list values;
    va_start(values, format);
    vsnprintf(text, sizeof text, format, values);
    va_end(values);
    return std::string(text) + "\n";
}

std::string Number(double value) { return Line("%g", value); }
std::string Result(bool value) { return value ? "true\n" : "false\n"; }

// What the writer stored for the key, read back as text.
std::string Written(IniFile& scratch, const char* key) {
    char text[1024] = "";
    scratch.GetString("V", key, "", text, sizeof text, 0);
    return std::string(text) + "\n";
}

template <class T>
using ReadFunction = void (*)(IniFile&, const char*, const char*, T*);
template <class T>
using WriteFunction = bool (*)(IniFile&, const char*, const char*, const T&);

// A key of one document and section, and where its value goes.
struct Transfer {
    IniFile& ini;
    const char* section;
    const char* key;
    IniFile& target;
    const char* targetSection;
    const char* targetKey;

    template <class T>
    bool Through(ReadFunction<T> read, WriteFunction<T> write) const {
        T value{};
        read(ini, section, key, &value);
        return write(target, targetSection, targetKey, value);
    }
};

// Reads the key with the type's reader and stores it with its writer.
bool ReadAndWrite(const Transfer& t, const std::string& type) {
    if (type == "pair") return t.Through<IntPair>(ReadIntPair, WriteIntPair);
    if (type == "quad") return t.Through<IntQuad>(ReadIntQuad, WriteIntQuad);
    if (type == "rgb") return t.Through<RgbTriple>(ReadRgbTriple, WriteRgbTriple);
    if (type == "fpair") return t.Through<FloatPair>(ReadFloatPair, WriteFloatPair);
    if (type == "ftriple") return t.Through<FloatTriple>(ReadFloatTriple, WriteFloatTriple);
    if (type == "angles") return t.Through<AngleTriple>(ReadAngleTriple, WriteAngleTriple);
    if (type == "time") return t.Through<TimeOfDay>(ReadTimeOfDay, WriteTimeOfDay);
    return t.Through<CalendarDate>(ReadCalendarDate, WriteCalendarDate);
}

std::string FormatFont(IniFile& ini, const char* section) {
    TextAttributes font = {};
    bool result = ReadTextAttributes(ini, section, &font);
    return std::string(font.fontName) + "\n" + Line("%d", font.textSize) + Line("0x%x", font.styleFlags) +
           Number(font.effectColor.red) + Number(font.effectColor.green) + Number(font.effectColor.blue) +
           Line("%d", font.effectSize) + Result(result);
}

std::string FormatTable(IniFile& ini, const char* section, const std::string& prefix) {
    LookupTable1D table;
    bool result = ReadLookupTable1D(ini, section, prefix.c_str(), &table);
    std::string out = Line("%d", table.count) + Number(table.deltaX) + Number(table.reciprocalDeltaX) +
                      Number(table.startX);
    for (int i = 0; i < table.count && table.values; ++i) out += Number(table.values[i]);
    ReleaseLookupTable1D(&table);
    return out + Result(result);
}

}  // namespace

bool ParseCompoundType(const std::string& text, CompoundType* out, std::string* problem) {
    problem->clear();
    const size_t colon = text.find(':');
    const std::string name = text.substr(0, colon);
    if (!Find(name)) return false;
    const bool takesArgument = name == "list" || name == "table";
    if (takesArgument != (colon != std::string::npos)) {
        *problem = takesArgument ? name + " needs :" + (name == "list" ? "N" : "PREFIX") : "unknown type " + text;
        return false;
    }
    out->name = name;
    if (name == "list") {
        const std::string digits = text.substr(colon + 1);
        char* end = nullptr;
        long count = strtol(digits.c_str(), &end, 10);
        if (digits.empty() || *end || count < 1 || count > kMaxListCount) {
            *problem = "list:N needs N from 1 to " + std::to_string(kMaxListCount);
            return false;
        }
        out->count = static_cast<int>(count);
    } else if (name == "table") {
        out->prefix = text.substr(colon + 1);
    }
    return true;
}

bool ReadsGroup(const CompoundType& type) { return type.name == "font" || type.name == "table"; }

bool HasWriter(const CompoundType& type) { return Find(type.name)->hasWriter; }

std::string FormatCompound(IniFile& ini, const char* section, const char* key, const CompoundType& type) {
    if (type.name == "font") return FormatFont(ini, section);
    if (type.name == "table") return FormatTable(ini, section, type.prefix);
    if (type.name == "list") {
        std::vector<float> values(static_cast<size_t>(type.count));
        bool result = ReadNumberList(ini, section, key, type.count, values.data());
        std::string out;
        for (float value : values) out += Number(value);
        return out + Result(result);
    }
    if (type.name == "color") {
        ColorRGBA color = {0.0f, 0.0f, 0.0f, 0.0f};
        bool result = ReadColorRGBA(ini, section, key, &color);
        return Number(color.red) + Number(color.green) + Number(color.blue) + Number(color.alpha) + Result(result);
    }
    if (type.name == "effect") {
        EffectColor color = {0.0f, 0.0f, 0.0f};
        bool result = ReadEffectColor(ini, section, key, &color);
        return Number(color.red) + Number(color.green) + Number(color.blue) + Result(result);
    }
    // The writer's own format, through a scratch document.
    IniFile scratch("", 0, 1, 4096);
    ReadAndWrite(Transfer{ini, section, key, scratch, "V", "Value"}, type.name);
    return Written(scratch, "Value");
}

bool StoreCompound(IniFile& ini, const char* section, const char* key, const CompoundType& type,
                   const std::string& value, std::string* problem) {
    problem->clear();
    const TypeInfo* info = Find(type.name);
    int separators = 0;
    for (char c : value) separators += c == info->separator;
    if (separators < info->separators) {
        *problem = value + " is no " + type.name + " value";
        return false;
    }
    IniFile scratch("", 0, 1, static_cast<int>(value.size()) + 4096);
    if (!scratch.SetString("V", "Value", value.c_str())) return false;
    return ReadAndWrite(Transfer{scratch, "V", "Value", ini, section, key}, type.name);
}
