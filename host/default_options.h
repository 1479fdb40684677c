// The player's options file always holds every known option: at each start the
// host asks for each one, in a fixed order, with its default, through a
// document that writes defaults back, and saves it. Missing keys (and missing
// sections) are appended with their defaults; existing ones keep their values.
#pragma once

#include <cstddef>

class IniFile;

enum class OptionType { Integer, Float, Text, Boolean };

struct DefaultOption {
    const char* section;
    const char* key;
    OptionType type;
    int integer;      // Integer and Boolean
    float real;       // Float
    const char* text; // Text
};

// The options in the order in which they are asked for.
const DefaultOption* DefaultOptions(size_t* count);

// Reads every option with its type's getter and default, then saves the
// document to its own file. Non-zero when it was saved; a failure is logged.
int WriteDefaultOptions(IniFile* options);

// The eleven gameplay options sent with a hosted game, one byte each (the low
// eight bits of the value), in the order the game description expects.
const int kGameplayOptionCount = 11;
void FillGameplayOptions(IniFile* options, unsigned char* vector);
