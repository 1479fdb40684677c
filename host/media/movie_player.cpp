#include "host/media/movie_player.h"

#include "files/directories.h"
#include "files/paths.h"
#include "files/strings.h"
#include "host/message_box.h"
#include "ini/ini_file.h"
#include "shell/shell.h"

#include <cstdarg>
#include <cstdio>

#include <windows.h>
#include <dshow.h>

namespace {

const char kDrainClassName[] = "Brightvane Movie Player";
const char kErrorCaption[] = "MoviePlayer Error";
const int kTitleSize = 290;    // 289 characters and the terminator
const int kMessageSize = 1023;  // 1022 characters and the terminator
const UINT_PTR kKeepAboveTimer = 1;
const UINT kKeepAboveMs = 100;

// One movie at a time: what the drain window's procedure needs while it plays.
struct PlayerState {
    IGraphBuilder* graph;
    IMediaControl* control;
    IVideoWindow* video;
    IMediaEventEx* events;
    HWND drain;
    HWND cover;          // the video popup laid over the monitor, when the renderer needed one
    int playing;         // 1 while the movie runs
    int stoppedByUser;   // a key or click ended it
};

PlayerState g_player;
MoviePlayerWatch g_watch;

__attribute__((format(printf, 1, 2))) void ShowError(const char* format, ...) {
    char text[kMessageSize];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    ShowMessageBox(text, kErrorCaption, MB_OK);
}

void StopByUser() {
    if (g_player.stoppedByUser) return;
    g_player.stoppedByUser = 1;
    if (g_player.control) g_player.control->Stop();
    g_player.playing = 0;
    if (g_watch.userStopped) g_watch.userStopped(g_watch.context);
}

// The main window is topmost in full screen and comes back above the video
// popup while the movie plays (under Wine half a second or so in); it would
// then take the player's clicks, which never reach the drain window. Each
// tick of the drain window's timer puts it back under the popup. Only the
// main window moves: a message box shown meanwhile stays in front.
void KeepVideoAboveMainWindow() {
    HWND mainWindow = static_cast<HWND>(ShellGetWindowHandle());
    if (!g_player.cover || !mainWindow || !IsWindow(g_player.cover)) return;
    for (HWND above = GetWindow(g_player.cover, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV)) {
        if (above != mainWindow) continue;
        SetWindowPos(mainWindow, g_player.cover, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return;
    }
}

LRESULT CALLBACK DrainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kKeepAboveTimer) KeepVideoAboveMainWindow();
            break;
        case WM_DESTROY:
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_RETURN || wParam == VK_ESCAPE || wParam == VK_SPACE) StopByUser();
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            StopByUser();
            break;
        default:
            break;
    }
    if (g_player.video)
        g_player.video->NotifyOwnerMessage(reinterpret_cast<OAHWND>(window), static_cast<long>(message),
                                           static_cast<LONG_PTR>(wParam), static_cast<LONG_PTR>(lParam));
    return DefWindowProcA(window, message, wParam, lParam);
}

// The hidden window that takes the video window's keys and clicks. Its class
// is registered once and serves every movie.
HWND MakeDrainWindow(const char* fileName, HINSTANCE module) {
    WNDCLASSA windowClass;
    if (!GetClassInfoA(module, kDrainClassName, &windowClass)) {
        ZeroMemory(&windowClass, sizeof windowClass);
        windowClass.lpfnWndProc = DrainWindowProc;
        windowClass.hInstance = module;
        windowClass.lpszClassName = kDrainClassName;
        if (!RegisterClassA(&windowClass)) return nullptr;
    }
    char title[kTitleSize];
    snprintf(title, sizeof title, "%s: %s", kDrainClassName, fileName);
    return CreateWindowExA(WS_EX_NOACTIVATE, kDrainClassName, title, 0, 0, 0, 0, 0, nullptr, nullptr, module,
                           nullptr);
}

// Shows the message of a failed step, whose format takes the result alone
// (as %x or %lx: both are 32 bits on Windows); true when hr is a failure.
static_assert(sizeof(unsigned) == sizeof(unsigned long), "results print as %x and %lx alike");
bool ShownIfFailed(HRESULT hr, const char* format) {
    if (SUCCEEDED(hr)) return false;
    ShowError(format, static_cast<unsigned long>(hr));
    return true;
}

// The graph builder and the three interfaces taken from it. The first failure
// is shown and returned.
HRESULT TakeInterfaces() {
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                  IID_IGraphBuilder, reinterpret_cast<void**>(&g_player.graph));
    if (ShownIfFailed(hr, "FAILED(hr=0x%x) in CoCreateInstance(CLSID_FilterGraph, NULL, CLSCTX_INPROC, "
                          "IID_IGraphBuilder, (void **)&pGB)\n"))
        return hr;
    const struct {
        const IID& iid;
        void** pointer;
        const char* failure;
    } queries[] = {
        {IID_IMediaControl, reinterpret_cast<void**>(&g_player.control),
         "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IMediaControl, (void **)&pMC)\n"},
        {IID_IVideoWindow, reinterpret_cast<void**>(&g_player.video),
         "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IVideoWindow, (void **)&pVW)\n"},
        {IID_IMediaEventEx, reinterpret_cast<void**>(&g_player.events),
         "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IMediaEventEx, (void **)&pME)\n"},
    };
    for (const auto& query : queries) {
        hr = g_player.graph->QueryInterface(query.iid, query.pointer);
        if (ShownIfFailed(hr, query.failure)) return hr;
    }
    return S_OK;
}

struct VideoWindowSearch {
    DWORD process;
    const WCHAR* caption;
    HWND found;
};

BOOL CALLBACK MatchVideoWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<VideoWindowSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->process) return TRUE;
    WCHAR caption[kPathSize];
    if (GetWindowTextW(window, caption, kPathSize) == 0 || lstrcmpW(caption, search->caption) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

// The renderer's own window: the top-level window of this process that bears
// the caption the video window reports. Null when none does.
HWND FindVideoWindow(IVideoWindow* video) {
    BSTR caption = nullptr;
    if (FAILED(video->get_Caption(&caption)) || !caption) return nullptr;
    VideoWindowSearch search{GetCurrentProcessId(), caption, nullptr};
    if (caption[0]) EnumWindows(MatchVideoWindow, reinterpret_cast<LPARAM>(&search));
    SysFreeString(caption);
    return search.found;
}

// Where the renderer cannot switch to full screen by itself, its window
// becomes a borderless popup over the main window's monitor (the primary
// monitor while there is no main window). The main window is topmost in full
// screen, so the popup is made topmost too and kept above the main window for
// the whole movie (KeepVideoAboveMainWindow).
void CoverMonitor(IVideoWindow* video) {
    HWND mainWindow = static_cast<HWND>(ShellGetWindowHandle());
    HMONITOR monitor = mainWindow ? MonitorFromWindow(mainWindow, MONITOR_DEFAULTTOPRIMARY)
                                  : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info;
    info.cbSize = sizeof info;
    if (!monitor || !GetMonitorInfoA(monitor, &info)) return;
    const RECT& area = info.rcMonitor;
    video->put_WindowStyle(WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    video->SetWindowPosition(area.left, area.top, area.right - area.left, area.bottom - area.top);
    g_player.cover = FindVideoWindow(video);
    if (!g_player.cover) return;
    SetWindowPos(g_player.cover, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (mainWindow) SetTimer(g_player.drain, kKeepAboveTimer, kKeepAboveMs, nullptr);
}

// A failed full-screen step shows its own message, then the general one.
bool FullScreenStepFailed(HRESULT hr, const char* format) {
    if (!ShownIfFailed(hr, format)) return false;
    ShowError("Failed(%08lx) to set fullscreen!\r\n", static_cast<unsigned long>(hr));
    return true;
}

HRESULT EnterFullScreen() {
    IVideoWindow* video = g_player.video;
    if (!video) return S_OK;
    long mode = OAFALSE;
    HRESULT hr = video->get_FullScreenMode(&mode);
    if (hr == E_NOTIMPL) {
        CoverMonitor(video);
        return S_OK;
    }
    if (FullScreenStepFailed(hr, "FAILED(hr=0x%x) in pVW->get_FullScreenMode(&lMode)\n")) return hr;
    if (mode != OAFALSE) return S_OK;
    OAHWND previousDrain = 0;
    hr = video->get_MessageDrain(&previousDrain);
    if (FullScreenStepFailed(hr, "FAILED(hr=0x%x) in pVW->get_MessageDrain((OAHWND *) &hDrain)\n")) return hr;
    hr = video->put_MessageDrain(reinterpret_cast<OAHWND>(g_player.drain));
    if (FullScreenStepFailed(hr, "FAILED(hr=0x%x) in pVW->put_MessageDrain((OAHWND) g_hwndMain)\n")) return hr;
    hr = video->put_FullScreenMode(OATRUE);
    if (FullScreenStepFailed(hr, "FAILED(hr=0x%x) in pVW->put_FullScreenMode(lMode)\n")) return hr;
    return S_OK;
}

HRESULT RenderAndRun(const char* fileName) {
    WCHAR wideName[kPathSize];
    HRESULT hr;
    // A name too long for the buffer is refused rather than cut to another name.
    if (MultiByteToWideChar(CP_ACP, 0, fileName, -1, wideName, kPathSize) == 0)
        hr = HRESULT_FROM_WIN32(GetLastError());
    else
        hr = g_player.graph->RenderFile(wideName, nullptr);
    if (FAILED(hr)) {
        ShowError("Failed(0x%08lx) in RenderFile(%s)!\r\n", static_cast<unsigned long>(hr), fileName);
        return hr;
    }
    hr = g_player.video->put_MessageDrain(reinterpret_cast<OAHWND>(g_player.drain));
    if (FAILED(hr)) {
        ShowError("Failed(0x%08lx) to set message drain for %s.\r\n\r\nThis sample is designed to play videos, "
                  "but the file selected has no video component.",
                  static_cast<unsigned long>(hr), fileName);
        return hr;
    }
    hr = EnterFullScreen();
    if (FAILED(hr)) return hr;
    hr = g_player.control->Pause();
    if (ShownIfFailed(hr, "Failed(%08lx) in Pause()!\r\n")) return hr;
    hr = g_player.control->Run();
    if (ShownIfFailed(hr, "Failed(%08lx) in Run()!\r\n")) return hr;
    return S_OK;
}

// Polls the graph's events until the movie completes or the user stops it;
// the drain window's messages are dispatched after each poll. A graph that
// aborts (its window closed, or a stream error) ends the movie as well.
HRESULT RunEventLoop(const char* fileName) {
    HRESULT result = S_OK;
    while (g_player.playing == 1) {
        long code = 0;
        LONG_PTR first = 0;
        LONG_PTR second = 0;
        HRESULT hr = g_player.events->GetEvent(&code, &first, &second, 0);
        if (FAILED(hr)) {
            Sleep(100);
        } else {
            if (g_watch.graphEvent) g_watch.graphEvent(g_watch.context, code);
            if (code == EC_COMPLETE) {
                g_player.playing = 0;
            } else if (code == EC_USERABORT) {
                g_player.stoppedByUser = 1;
                g_player.playing = 0;
            } else if (code == EC_ERRORABORT) {
                result = FAILED(static_cast<HRESULT>(first)) ? static_cast<HRESULT>(first) : E_FAIL;
                g_player.playing = 0;
            }
            hr = g_player.events->FreeEventParams(code, first, second);
            if (FAILED(hr))
                ShowError("Failed(%08lx) to free event params (%s)!\r\n", static_cast<unsigned long>(hr), fileName);
            if (code != EC_COMPLETE) Sleep(100);
        }
        MSG message;
        while (PeekMessageA(&message, g_player.drain, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return result;
}

template <typename Interface>
void ReleaseInterface(Interface** pointer) {
    if (*pointer) (*pointer)->Release();
    *pointer = nullptr;
}

void ReleaseMovie() {
    ReleaseInterface(&g_player.graph);
    ReleaseInterface(&g_player.control);
    ReleaseInterface(&g_player.video);
    ReleaseInterface(&g_player.events);
    if (g_player.drain) DestroyWindow(g_player.drain);  // its timer goes with it
    g_player.drain = nullptr;
    g_player.cover = nullptr;
}

long MovieEnded(const char* fileName, long result) {
    if (g_watch.movieEnded) g_watch.movieEnded(g_watch.context, fileName, result);
    return result;
}

}  // namespace

long PlayMovie(const char* fileName, void* instance) {
    if (!fileName) return E_POINTER;
    g_player = PlayerState{};
    g_player.playing = 1;

    HINSTANCE module = instance ? static_cast<HINSTANCE>(instance) : GetModuleHandleA(nullptr);
    g_player.drain = MakeDrainWindow(fileName, module);
    if (!g_player.drain) return MovieEnded(fileName, E_FAIL);
    if (g_watch.drainWindowMade) g_watch.drainWindowMade(g_watch.context, g_player.drain);

    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(hr)) {
        ReleaseMovie();  // the drain window does not outlive the movie
        return MovieEnded(fileName, hr);
    }
    hr = TakeInterfaces();
    if (SUCCEEDED(hr)) hr = RenderAndRun(fileName);
    if (SUCCEEDED(hr)) hr = RunEventLoop(fileName);
    ReleaseMovie();
    CoUninitialize();

    long result = FAILED(hr) ? hr : 0;
    if (result == 0 && g_player.stoppedByUser) result = 1;
    return MovieEnded(fileName, result);
}

void PlayMovieList(const char* listFileName) {
    if (IsEmptyString(listFileName)) return;
    IniFile list(listFileName, 0, 0, IniFile::kDefaultExtra);
    int count = list.CountNumberedSections("Movie%03d");
    for (int number = 1; number <= count; ++number) {
        char section[16];
        snprintf(section, sizeof section, "Movie%03d", number);
        char name[kPathSize] = "";
        list.GetString(section, "Name", "", name, sizeof name, 0);
        if (!IsEmptyString(name) && FileExistsVia(name, 1)) PlayMovie(name, nullptr);
    }
}

void MoviePlayerSetWatch(const MoviePlayerWatch* watch) {
    g_watch = watch ? *watch : MoviePlayerWatch{};
}
