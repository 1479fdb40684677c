// The configuration file the benchmarks load: generated, so that every run
// and every size has the same shape.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// Sections of 10 to 19 keys holding numbers, decimals and texts, with a
// comment now and then, in CR LF lines like the game's own files.
inline std::string GenerateFile(size_t targetBytes, int* sections, int* keys) {
    std::string text;
    text.reserve(targetBytes + 4096);
    uint32_t seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) & 0xFFFFFF;
    };
    *sections = 0;
    *keys = 0;
    char line[128];
    while (text.size() < targetBytes) {
        snprintf(line, sizeof line, "[GeneratedSection%05d]\r\n", (*sections)++);
        text += line;
        const int count = 10 + static_cast<int>(next() % 10);
        for (int k = 0; k < count; ++k) {
            switch (next() % 4) {
            case 0:
                snprintf(line, sizeof line, "ConfigurationSetting%02d=%u\r\n", k, next() % 100000);
                break;
            case 1:
                snprintf(line, sizeof line, "MeasuredValue%02d = %u.%03u\r\n", k, next() % 1000, next() % 1000);
                break;
            case 2:
                snprintf(line, sizeof line, "DisplayName%02d=Text %06x\r\n", k, next());
                break;
            default:
                snprintf(line, sizeof line, "EnabledFlag%02d=%s\r\n", k, next() % 2 ? "TRUE" : "FALSE");
                break;
            }
            text += line;
            ++*keys;
        }
        if (next() % 8 == 0) text += "; a comment line\r\n";
        text += "\r\n";
    }
    return text;
}
