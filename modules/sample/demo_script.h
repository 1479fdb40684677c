// The demo script: "Demo.ini" in the game directory makes the input module
// play a run without a person. One step per line, each waiting its delay in
// seconds after the step before:
//     0 wait MainScreen  waits until the game shows that scene (the menu's
//                        screen name, or Flight)
//     1.5 shot menu      saves the window as ScreenShots\menu.bmp
//     0.5 key F          presses and releases a key
// Keys are a letter, a digit, Tab, Escape, Return or Space. Blank lines and
// lines starting with ';' or '#' are comments.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sample {

struct DemoStep {
    enum Action { kKey, kShot, kWait };
    uint32_t delayMs;   // 0..60000
    Action action;
    int key;            // virtual-key code of a kKey step
    std::string name;   // picture or scene name: 1-31 of A-Z a-z 0-9 _ -
};

inline constexpr size_t kDemoMaxSteps = 200;

// Parses a whole script. On the first bad line: false, the steps cleared, and
// `error` says which line and why ("line 3: unknown key 'F1'").
bool ParseDemoScript(const std::string& text, std::vector<DemoStep>* steps, std::string* error);

}  // namespace sample
