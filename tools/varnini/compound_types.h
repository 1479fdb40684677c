// The compound value types of varnini (--type pair, quad, rgb, ..., list:N,
// table:PREFIX): each read with the game's own reader and printed, or parsed
// and stored with the game's own writer.
#pragma once

#include <string>

class IniFile;

struct CompoundType {
    std::string name;    // "pair", "list", "table", ...
    int count = 0;       // list:N
    std::string prefix;  // table:PREFIX
};

// True when text names a compound type; false with problem set when it looks
// like one but is malformed ("list:0"), false with problem empty otherwise.
bool ParseCompoundType(const std::string& text, CompoundType* out, std::string* problem);
// font and table read a group of keys of the section, not one key.
bool ReadsGroup(const CompoundType& type);
// The types that have a writer (set works for them).
bool HasWriter(const CompoundType& type);

// The value as the game reads it: the writer's format where there is a
// writer, else one field per line, followed by the reader's true or false
// where it answers one. Every line ends with '\n'.
std::string FormatCompound(IniFile& ini, const char* section, const char* key, const CompoundType& type);
// Parses value as the game would read it and stores it with the writer.
// False with problem set when value lacks separators the type needs, or when
// it cannot be stored (problem then empty).
bool StoreCompound(IniFile& ini, const char* section, const char* key, const CompoundType& type,
                   const std::string& value, std::string* problem);
