// DirectInput.dll: the input manager ("INP"), and the demo player.
//
// The game reads its keys from window messages (see the control map and the
// menu), so the input manager itself only keeps the active flag. When the
// game directory holds "Demo.ini", it also plays that script: a thread of its
// own waits each step's delay, then posts a key press to the main window,
// saves the window's picture or waits for a scene, as a person would. The
// menu and the flight tell it each frame they show, so the player never acts
// before the game has taken the key before and drawn the result.
#include "demo_script.h"
#include "module_support.h"
#include "sample.h"
#include "shell/log.h"

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

const char kOwner[] = "INPUT";
const auto kWaitLimit = std::chrono::seconds(60);

// What the demo player knows of the game: the scene last shown and how many
// frames have been shown. Written by the game's thread, read by the player's.
std::mutex g_lock;
std::condition_variable g_changed;
std::string g_scene;
long g_frames = 0;
bool g_stopping = false;

class InputManager final : public ISampleInput {
public:
    void inpSetActive(int active) override { m_active = active; }
    void inpFrameShown(const char* scene) override {
        std::lock_guard<std::mutex> hold(g_lock);
        if (g_scene != (scene ? scene : "")) g_scene = scene ? scene : "";
        ++g_frames;
        g_changed.notify_all();
    }

private:
    int m_active = 0;
};

InputManager g_input;
std::vector<sample::DemoStep> g_steps;
std::thread g_player;

// Saves the client area of the main window as a 24-bit .bmp through the file
// manager, under ScreenShots in the game directory.
bool SaveWindowPicture(HWND window, const std::string& name) {
    RECT client = {};
    if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) return false;
    const int width = client.right, height = client.bottom;
    HDC windowDc = GetDC(window);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    HBITMAP bitmap = CreateCompatibleBitmap(windowDc, width, height);
    HGDIOBJ old = SelectObject(memoryDc, bitmap);
    BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
    SelectObject(memoryDc, old);

    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;  // bottom-up, as .bmp files store rows
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::string pixels(static_cast<size_t>(stride) * height, '\0');
    const int rows = GetDIBits(memoryDc, bitmap, 0, height, &pixels[0], reinterpret_cast<BITMAPINFO*>(&header),
                               DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memoryDc);
    ReleaseDC(window, windowDc);
    if (rows != height) return false;

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    IFileManager* files = ShellGetFileManager();
    const std::string path = "ScreenShots\\" + name + ".bmp";
    const int handle = files->fmgCreateFile(path.c_str());
    if (handle == -1) return false;
    bool ok = files->fmgWriteFile(handle, &file, sizeof file) == sizeof file &&
              files->fmgWriteFile(handle, &header, sizeof header) == sizeof header &&
              files->fmgWriteFile(handle, pixels.data(), static_cast<uint32_t>(pixels.size())) ==
                  static_cast<int>(pixels.size());
    files->fmgCloseFile(handle);
    return ok;
}

// Waits until `done` holds (or the game closes, or a minute passes).
template <class Condition>
bool WaitFor(std::unique_lock<std::mutex>& hold, Condition done) {
    return g_changed.wait_for(hold, kWaitLimit, [&] { return g_stopping || done(); }) && !g_stopping;
}

void PlayDemo() {
    HWND window = static_cast<HWND>(ShellGetWindowHandle());
    long keyFrame = 0;  // frame count when the last key was posted
    for (size_t i = 0; i < g_steps.size(); ++i) {
        const sample::DemoStep& step = g_steps[i];
        const int number = static_cast<int>(i + 1);
        std::unique_lock<std::mutex> hold(g_lock);
        if (g_changed.wait_for(hold, std::chrono::milliseconds(step.delayMs), [] { return g_stopping; })) return;
        // Two frames after a key was posted, the game has pumped it and drawn
        // what it did: only then does the next step act.
        bool ready = WaitFor(hold, [&] { return g_frames >= keyFrame + 2; });
        if (ready && step.action == sample::DemoStep::kWait)
            ready = WaitFor(hold, [&] { return g_scene == step.name; });
        if (!ready) {
            if (g_stopping) return;
            LogError("demo: step %d waited in vain for the game; closing it", number);
            PostMessageA(window, WM_CLOSE, 0, 0);
            return;
        }
        if (step.action == sample::DemoStep::kKey) {
            keyFrame = g_frames;
            hold.unlock();
            LogInfo("demo: step %d presses key 0x%02X", number, step.key);
            PostMessageA(window, WM_KEYDOWN, step.key, 1);
            PostMessageA(window, WM_KEYUP, step.key, 0xC0000001);
        } else if (step.action == sample::DemoStep::kShot) {
            hold.unlock();
            if (SaveWindowPicture(window, step.name))
                LogInfo("demo: step %d saved picture %s", number, step.name.c_str());
            else
                LogError("demo: step %d could not save picture %s", number, step.name.c_str());
        } else {
            LogInfo("demo: step %d sees scene %s", number, step.name.c_str());
        }
    }
    LogInfo("demo: script finished");
}

// Reads and starts "Demo.ini" when the game directory has one.
void StartDemo() {
    if (!ShellGetFileManager() || !ShellGetFileManager()->fmgFileExists("Demo.ini", 1)) return;
    std::string text, error;
    if (!sample::ReadGameFile("Demo.ini", &text) || !sample::ParseDemoScript(text, &g_steps, &error)) {
        LogError("demo: Demo.ini refused: %s", error.empty() ? "cannot be read" : error.c_str());
        return;
    }
    g_stopping = false;
    g_player = std::thread(&PlayDemo);
    LogInfo("demo: playing %d steps from Demo.ini", static_cast<int>(g_steps.size()));
}

void StopDemo() {
    if (g_player.joinable()) {
        {
            std::lock_guard<std::mutex> hold(g_lock);
            g_stopping = true;
        }
        g_changed.notify_all();
        g_player.join();
    }
    g_scene = std::string();
    g_steps.clear();
    g_steps.shrink_to_fit();  // its memory belongs to this module's heap owner
}

const sample::Published kPublished[] = {{VARN_ID_INP, static_cast<IInputManager*>(static_cast<ISampleInput*>(&g_input))}};

}  // namespace

SAMPLE_MODULE_ENTRY_POINTS(kOwner, kPublished, StartDemo, StopDemo)
