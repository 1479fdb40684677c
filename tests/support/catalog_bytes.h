// Test support: catalog files assembled byte by byte, well-formed or not.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace catalogtest {

inline void Put32(std::string& bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// The 28-byte header; signature is padded with zero bytes to 16.
inline std::string Header(const std::string& signature, uint32_t files, uint32_t extensions, uint32_t dataSize) {
    std::string bytes = signature;
    bytes.resize(16, '\0');
    Put32(bytes, files);
    Put32(bytes, extensions);
    Put32(bytes, dataSize);
    return bytes;
}

// A record of a length field followed by text and its zero byte.
inline void PutText(std::string& bytes, const std::string& text) {
    Put32(bytes, static_cast<uint32_t>(text.size() + 1));
    bytes += text;
    bytes.push_back('\0');
}

struct Member {
    std::string name;
    std::string data;
};

// A well-formed catalog: the records in data order, the given extension table
// (or, when none is given, the distinct extensions of the names in order of
// appearance), then the data back to back.
inline std::string Build(const std::vector<Member>& members, std::vector<std::string> extensions = {},
                         bool deriveExtensions = true) {
    if (extensions.empty() && deriveExtensions) {
        for (const Member& member : members) {
            size_t dot = member.name.rfind('.');
            if (dot == std::string::npos) continue;
            std::string extension = member.name.substr(dot + 1);
            bool seen = false;
            for (const std::string& known : extensions) seen = seen || known == extension;
            if (!seen) extensions.push_back(extension);
        }
    }
    size_t tables = 28;
    for (const Member& member : members) tables += 8 + member.name.size() + 1;
    for (const std::string& extension : extensions) tables += 4 + extension.size() + 1;
    uint32_t dataSize = 0;
    for (const Member& member : members) dataSize += static_cast<uint32_t>(member.data.size());
    std::string bytes = Header("CAT", static_cast<uint32_t>(members.size()), static_cast<uint32_t>(extensions.size()), dataSize);
    uint32_t offset = static_cast<uint32_t>(tables);
    for (const Member& member : members) {
        Put32(bytes, offset);
        PutText(bytes, member.name);
        offset += static_cast<uint32_t>(member.data.size());
    }
    for (const std::string& extension : extensions) PutText(bytes, extension);
    for (const Member& member : members) bytes += member.data;
    return bytes;
}

// Recognisable contents: the text repeated up to length bytes.
inline std::string Pattern(const std::string& text, size_t length) {
    std::string data;
    while (data.size() < length) data += text;
    data.resize(length);
    return data;
}

}  // namespace catalogtest
