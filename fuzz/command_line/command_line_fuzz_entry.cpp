#include "fuzz/command_line/command_line_fuzz_entry.h"

#include "files/command_line.h"
#include "files/paths.h"
#include "files/strings.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

const char kGuard = '\x5A';

// A buffer of size bytes with guard bytes after it, to see an answer that
// writes past the size it was given.
struct GuardedBuffer {
    explicit GuardedBuffer(int bufferSize) : size(bufferSize) { memset(bytes, kGuard, sizeof bytes); }
    char* Data() { return bytes; }
    bool Intact() const {
        for (size_t i = static_cast<size_t>(size); i < sizeof bytes; ++i) {
            if (bytes[i] != kGuard) return false;
        }
        return true;
    }
    bool Terminated() const { return memchr(bytes, 0, static_cast<size_t>(size)) != nullptr; }
    char bytes[CommandLine::kTextSize + 8];
    int size;  // at most kTextSize
};

std::string Ask(const CommandLine& line, const std::string& name, int far) {
    if (strlen(line.Text()) >= static_cast<size_t>(CommandLine::kTextSize)) return "the text overran its bound";
    if (line.IsValid() != (line.Text()[0] != 0)) return "valid does not match an empty text";
    // A few tokens (each question splits the whole text again), at two buffer
    // sizes; each one found again by its text.
    const int indexes[] = {0, 1, far};
    for (int index : indexes) {
        GuardedBuffer token(CommandLine::kTextSize);
        if (!line.GetToken(index, token.Data(), token.size)) continue;
        if (!token.Intact() || !token.Terminated()) return "a token overran its buffer";
        GuardedBuffer small(5);
        if (!line.GetToken(index, small.Data(), small.size)) return "a token is there only for a large buffer";
        if (!small.Intact() || !small.Terminated()) return "a token overran a small buffer";
        if (strncmp(small.Data(), token.Data(), 4) != 0) return "a cut token is not the token's start";
        const int found = line.FindToken(token.Data());
        if (found < 0 || found > index) return "a token is not found by its own text";
    }
    line.GetTokenInt(far, 0);
    line.GetTokenFloat(0, 0.0f);
    GuardedBuffer value(kPathSize);
    if (line.GetOption(name.c_str(), value.Data(), value.size)) {
        if (!value.Intact() || !value.Terminated()) return "an option overran its buffer";
    }
    GuardedBuffer one(1);
    line.GetOption(name.c_str(), one.Data(), one.size);
    if (!one.Intact()) return "an option overran a one-byte buffer";
    line.GetOptionInt(name.c_str(), 0);
    line.GetOptionFloat(name.c_str(), 0.0f);
    return "";
}

}  // namespace

std::string FuzzCommandLine(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // The option name asked for: the bytes up to the first blank, at most 8.
    std::string name = bytes.substr(0, bytes.find(' '));
    if (name.size() > 8) name.resize(8);
    name = name.c_str();
    // A token further on: its index is the first byte, up to 63.
    const int far = size > 0 ? data[0] % 64 : 2;

    // As program arguments: pieces between zero bytes; the first is the program.
    std::vector<std::string> pieces;
    for (size_t start = 0;;) {
        size_t zero = bytes.find('\0', start);
        pieces.push_back(bytes.substr(start, zero == std::string::npos ? std::string::npos : zero - start));
        if (zero == std::string::npos) break;
        start = zero + 1;
    }
    std::vector<const char*> arguments;
    for (const std::string& piece : pieces) arguments.push_back(piece.c_str());
    CommandLine fromArguments;
    fromArguments.FromArguments(static_cast<int>(arguments.size()), arguments.data());
    std::string problem = Ask(fromArguments, name, far);
    if (!problem.empty()) return "arguments: " + problem;
    // Whole arguments only: the text is a prefix of the arguments joined.
    std::string joined;
    for (size_t i = 1; i < pieces.size(); ++i) joined += pieces[i] + " ";
    const size_t length = strlen(fromArguments.Text());
    if (joined.compare(0, length, fromArguments.Text()) != 0) return "arguments: the text is not the arguments";
    if (length < joined.size() && length > 0 && fromArguments.Text()[length - 1] != ' ')
        return "arguments: an argument was cut";

    // As one text, with blanks and with separators of its own.
    CommandLine fromString;
    fromString.FromString(bytes.c_str());
    problem = Ask(fromString, name, far);
    if (!problem.empty()) return "string: " + problem;

    const size_t mark = bytes.find('\x01');
    const std::string text = bytes.substr(0, mark);
    const std::string separators = mark == std::string::npos ? "-/" : bytes.substr(mark + 1);
    CommandLine withSeparators;
    withSeparators.FromStringWithSeparators(text.c_str(), separators.c_str());
    problem = Ask(withSeparators, name, far);
    if (!problem.empty()) return "separators: " + problem;
    if (strchr(withSeparators.Text(), '"')) return "separators: a double quote was kept";
    return "";
}
