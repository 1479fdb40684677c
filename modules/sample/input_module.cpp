// DirectInput.dll: the input manager ("INP"), and the demo player.
//
// The game reads its keys from window messages (see the control map and the
// menu), so the input manager itself only keeps the active flag. When the
// game directory holds "Demo.ini", it also plays that script: a thread of its
// own waits each step's delay, then posts a key press to the main window or
// saves the window's picture, exactly as if a person were playing.
#include "demo_script.h"
#include "module_support.h"
#include "shell/log.h"

#include <windows.h>

#include <vector>

namespace {

const char kOwner[] = "INPUT";

class InputManager final : public IInputManager {
public:
    void inpSetActive(int active) override { m_active = active; }

private:
    int m_active = 0;
};

InputManager g_input;
std::vector<sample::DemoStep> g_steps;
HANDLE g_thread = nullptr;
HANDLE g_stop = nullptr;

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

DWORD WINAPI PlayDemo(void*) {
    HWND window = static_cast<HWND>(ShellGetWindowHandle());
    for (size_t i = 0; i < g_steps.size(); ++i) {
        const sample::DemoStep& step = g_steps[i];
        if (WaitForSingleObject(g_stop, step.delayMs) != WAIT_TIMEOUT) return 0;  // the game is closing
        if (step.action == sample::DemoStep::kKey) {
            LogInfo("demo: step %d presses key 0x%02X", static_cast<int>(i + 1), step.key);
            PostMessageA(window, WM_KEYDOWN, step.key, 1);
            PostMessageA(window, WM_KEYUP, step.key, 0xC0000001);
        } else if (SaveWindowPicture(window, step.name)) {
            LogInfo("demo: step %d saved picture %s", static_cast<int>(i + 1), step.name.c_str());
        } else {
            LogError("demo: step %d could not save picture %s", static_cast<int>(i + 1), step.name.c_str());
        }
    }
    LogInfo("demo: script finished");
    return 0;
}

// Reads and starts "Demo.ini" when the game directory has one.
void StartDemo() {
    if (!ShellGetFileManager() || !ShellGetFileManager()->fmgFileExists("Demo.ini", 1)) return;
    std::string text, error;
    if (!sample::ReadGameFile("Demo.ini", &text) || !sample::ParseDemoScript(text, &g_steps, &error)) {
        LogError("demo: Demo.ini refused: %s", error.empty() ? "cannot be read" : error.c_str());
        return;
    }
    g_stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_thread = CreateThread(nullptr, 0, &PlayDemo, nullptr, 0, nullptr);
    LogInfo("demo: playing %d steps from Demo.ini", static_cast<int>(g_steps.size()));
}

void StopDemo() {
    if (g_thread) {
        SetEvent(g_stop);
        WaitForSingleObject(g_thread, INFINITE);
        CloseHandle(g_thread);
        CloseHandle(g_stop);
    }
    g_thread = g_stop = nullptr;
    g_steps.clear();
    g_steps.shrink_to_fit();  // its memory belongs to this module's heap owner
}

const sample::Published kPublished[] = {{VARN_ID_INP, static_cast<IInputManager*>(&g_input)}};

}  // namespace

extern "C" VARN_EXPORT int32_t VARN_CDECL InitDLL(uintptr_t module, IInterfaceManager* registry) {
    sample::AttachModule(kOwner, module, registry, kPublished, 1);
    StartDemo();
    return 1;
}

extern "C" VARN_EXPORT int32_t VARN_CDECL ExitDLL() {
    StopDemo();
    return sample::DetachModule(kOwner, kPublished, 1);
}
