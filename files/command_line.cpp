// CommandLine: the whole command line in one bounded text, split on demand into
// tokens at runs of separator characters.
#include "files/command_line.h"

#include "files/paths.h"
#include "files/strings.h"
#include "platform/platform.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

bool IsSeparator(const char* p, const char* separators) {
    return plat::NextChar(p) - p == 1 && strchr(separators, *p) != nullptr;
}

// Splits a copy of text into tokens and calls visit(index, token) for each one
// until it returns true. Returns whether a visit returned true.
template <class Visit>
bool ForEachToken(const char* text, const char* separators, Visit visit) {
    char copy[CommandLine::kTextSize];
    CopyString(copy, text, sizeof copy);
    int index = 0;
    char* p = copy;
    for (;;) {
        while (*p && IsSeparator(p, separators)) ++p;
        if (!*p) return false;
        char* token = p;
        while (*p && !IsSeparator(p, separators)) p = const_cast<char*>(plat::NextChar(p));
        char* next = *p ? CutAt(p) : p;
        if (visit(index++, token)) return true;
        p = next;
    }
}

// Decimal conversion of text; defaultValue when no digits convert.
int ToInt(const char* text, int defaultValue) {
    char* end = nullptr;
    long value = strtol(text, &end, 10);
    if (end == text) return defaultValue;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

float ToFloat(const char* text, float defaultValue) {
    char* end = nullptr;
    float value = strtof(text, &end);
    return end == text ? defaultValue : value;
}

}  // namespace

CommandLine::CommandLine() : m_valid(false) {
    m_text[0] = 0;
    CopyString(m_separators, " ", kSeparatorSize);
}

void CommandLine::FromArguments(int count, const char* const* arguments) {
    CopyString(m_separators, " ", kSeparatorSize);
    ClearString(m_text);
    size_t used = 0;
    for (int i = 1; arguments && i < count; ++i) {
        const char* argument = arguments[i] ? arguments[i] : "";
        size_t length = strlen(argument);
        // An argument that does not fit whole, with its blank, ends the text:
        // a cut argument would read as a different value.
        if (used + length + 1 > static_cast<size_t>(kTextSize) - 1) break;
        memcpy(m_text + used, argument, length);
        m_text[used + length] = ' ';
        used += length + 1;
        m_text[used] = 0;
    }
    m_valid = !IsEmptyString(m_text);
}

void CommandLine::FromString(const char* text) {
    CopyString(m_separators, " ", kSeparatorSize);
    CopyString(m_text, text, kTextSize);
    m_valid = !IsEmptyString(m_text);
}

void CommandLine::FromStringWithSeparators(const char* text, const char* separators) {
    CopyString(m_text, text, kTextSize);
    CopyString(m_separators, separators, kSeparatorSize);
    for (char* p = m_text; *p; p = const_cast<char*>(plat::NextChar(p))) {
        if (*p == '"') *p = ' ';
    }
    m_valid = !IsEmptyString(m_text);
}

int CommandLine::FindToken(const char* name) const {
    if (!m_valid || !name) return -1;
    int found = -1;
    ForEachToken(m_text, m_separators, [&](int index, char* token) {
        if (!StringsEqual(TrimString(token), name, false)) return false;
        found = index;
        return true;
    });
    return found;
}

bool CommandLine::GetToken(int index, char* out, int size) const {
    if (!m_valid || index < 0) return false;
    return ForEachToken(m_text, m_separators, [&](int i, char* token) {
        if (i != index) return false;
        CopyString(out, TrimString(token), size);
        return true;
    });
}

int CommandLine::GetTokenInt(int index, int defaultValue) const {
    char token[kTextSize];
    return GetToken(index, token, sizeof token) ? ToInt(token, defaultValue) : defaultValue;
}

float CommandLine::GetTokenFloat(int index, float defaultValue) const {
    char token[kTextSize];
    return GetToken(index, token, sizeof token) ? ToFloat(token, defaultValue) : defaultValue;
}

bool CommandLine::GetOption(const char* name, char* out, int size) const {
    if (!m_valid || !name) return false;
    size_t length = strlen(name);
    const char* lastColon = FindLastChar(name, ':');
    bool addColon = !(lastColon && lastColon[1] == 0);
    return ForEachToken(m_text, m_separators, [&](int, char* token) {
        if (strncmp(token, name, length) != 0) return false;
        if (addColon && token[length] != ':') return false;
        CopyString(out, token + length + (addColon ? 1 : 0), size);
        return true;
    });
}

int CommandLine::GetOptionInt(const char* name, int defaultValue) const {
    char value[kPathSize];
    return GetOption(name, value, sizeof value) ? ToInt(value, defaultValue) : defaultValue;
}

float CommandLine::GetOptionFloat(const char* name, float defaultValue) const {
    char value[kPathSize];
    return GetOption(name, value, sizeof value) ? ToFloat(value, defaultValue) : defaultValue;
}
