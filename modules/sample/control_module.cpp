// ControlMap.dll: the control map ("CTL"). It watches the key presses of the
// main window through the application's message callbacks and turns them
// into command ids: keys 1-9 give 2-10, key 0 gives 11, Tab and Escape give
// the sample's toggle-orders and end-flight commands. Every callback
// registered for a command is called with it.
#include "module_support.h"
#include "sample.h"
#include "shell/log.h"

#include <windows.h>

#include <utility>
#include <vector>

namespace {

const char kOwner[] = "CONTROL";

std::vector<std::pair<int, CommandCallback>> g_callbacks;

int CommandOfKey(uintptr_t key) {
    if (key >= '1' && key <= '9') return static_cast<int>(key - '1') + 2;
    if (key == '0') return 11;
    if (key == VK_TAB) return kCommandToggleOrders;
    if (key == VK_ESCAPE) return kCommandEndFlight;
    return 0;
}

void VARN_CDECL OnKeyDown(uintptr_t key, uintptr_t flags) {
    if (flags & 0x40000000) return;  // auto-repeat of a key held down
    const int command = CommandOfKey(key);
    if (!command) return;
    // A callback may unregister itself (or others): call from a copy.
    const std::vector<std::pair<int, CommandCallback>> callbacks = g_callbacks;
    for (const auto& entry : callbacks)
        if (entry.first == command) entry.second(command, 0, 0);
}

class ControlMap final : public IControlMap {
public:
    void ctlSetDirectory(const char*) override {}
    void ctlRegisterCommandCallback(int command, CommandCallback callback) override {
        if (callback) g_callbacks.emplace_back(command, callback);
    }
    void ctlUnregisterCommandCallback(int command, CommandCallback callback) override {
        for (size_t i = 0; i < g_callbacks.size(); ++i)
            if (g_callbacks[i].first == command && g_callbacks[i].second == callback) {
                g_callbacks.erase(g_callbacks.begin() + static_cast<long>(i));
                return;
            }
    }
};

ControlMap g_control;
const sample::Published kPublished[] = {{VARN_ID_CTL, static_cast<IControlMap*>(&g_control)}};

void WatchKeys() {
    if (IApplication* application = ShellGetApplication()) application->appAddMessageCallback(WM_KEYDOWN, &OnKeyDown);
}

void StopWatchingKeys() {
    if (IApplication* application = ShellGetApplication())
        application->appRemoveMessageCallback(WM_KEYDOWN, &OnKeyDown);
    if (!g_callbacks.empty()) LogWarning("control: %d command callbacks still registered", int(g_callbacks.size()));
    g_callbacks.clear();
    g_callbacks.shrink_to_fit();
}

}  // namespace

SAMPLE_MODULE_ENTRY_POINTS(kOwner, kPublished, WatchKeys, StopWatchingKeys)
