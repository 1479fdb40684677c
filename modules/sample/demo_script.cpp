#include "demo_script.h"

#include <cstdlib>
#include <cstring>

namespace sample {

namespace {

// Virtual-key codes of the named keys; letters and digits are their upper-case characters.
struct NamedKey {
    const char* name;
    int code;
};
const NamedKey kNamedKeys[] = {{"Tab", 0x09}, {"Return", 0x0D}, {"Escape", 0x1B}, {"Space", 0x20}};

int KeyCode(const std::string& name) {
    if (name.size() == 1) {
        char c = name[0];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
        return 0;
    }
    for (const NamedKey& key : kNamedKeys)
        if (name == key.name) return key.code;
    return 0;
}

bool IsName(const std::string& name) {
    if (name.empty() || name.size() > 31) return false;
    for (char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-'))
            return false;
    return true;
}

// The blank-separated words of one line.
std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

bool ParseStep(const std::vector<std::string>& words, DemoStep* step, std::string* why) {
    if (words.size() != 3) {
        *why = "expected DELAY ACTION ARGUMENT";
        return false;
    }
    char* end = nullptr;
    const double seconds = strtod(words[0].c_str(), &end);
    if (end == words[0].c_str() || *end || !(seconds >= 0 && seconds <= 60)) {
        *why = "delay '" + words[0] + "' is not a number of seconds from 0 to 60";
        return false;
    }
    step->delayMs = static_cast<uint32_t>(seconds * 1000 + 0.5);
    if (words[1] == "key") {
        step->action = DemoStep::kKey;
        step->key = KeyCode(words[2]);
        if (!step->key) *why = "unknown key '" + words[2] + "'";
        return step->key != 0;
    }
    if (words[1] == "shot" || words[1] == "wait") {
        step->action = words[1] == "shot" ? DemoStep::kShot : DemoStep::kWait;
        step->name = words[2];
        if (!IsName(step->name)) *why = "bad name '" + words[2] + "'";
        return IsName(step->name);
    }
    *why = "unknown action '" + words[1] + "'";
    return false;
}

}  // namespace

bool ParseDemoScript(const std::string& text, std::vector<DemoStep>* steps, std::string* error) {
    steps->clear();
    error->clear();
    size_t start = 0;
    for (int line = 1; start < text.size(); ++line) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::vector<std::string> words = Words(text.substr(start, end - start));
        start = end + 1;
        if (words.empty() || words[0][0] == ';' || words[0][0] == '#') continue;
        DemoStep step{};
        std::string why;
        if (steps->size() == kDemoMaxSteps) why = "more than 200 steps";
        if (!why.empty() || !ParseStep(words, &step, &why)) {
            *error = "line " + std::to_string(line) + ": " + why;
            steps->clear();
            return false;
        }
        steps->push_back(step);
    }
    return true;
}

}  // namespace sample
