// "APP", the main window and the activation notifier with real windows, a
// real registry and the host's service access layer. Fake input, display,
// graphics and network modules journal the calls the host makes on them.
#include "core/interface_manager.h"
#include "host/activation.h"
#include "host/app_object.h"
#include "host/host_state.h"
#include "host/main_window.h"
#include "shell/shell.h"
#include "tests/filemanager/log_recorder.h"
#include "varn/dsp.h"
#include "varn/gfx.h"
#include "varn/inp.h"
#include "varn/net.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

namespace {
ApplicationInterface g_app;
}  // namespace
ApplicationInterface& TheApplication() { return g_app; }

namespace {

std::string g_calls;
void Journal(const std::string& text) { g_calls += text + " "; }

struct FakeInput final : IInputManager {
    void inpSetActive(int active) override { Journal("INP:" + std::to_string(active)); }
};
struct FakeDisplay final : IDisplayManager {
    void dspSetActive(int active) override { Journal("DSP:" + std::to_string(active)); }
};
struct FakeGraphics final : IGraphicsEngine {
    void gfxSetActive(int active) override { Journal("GFX:" + std::to_string(active)); }
    IDisplay* gfxGetDisplay() override { return nullptr; }
    int gfxLoadImage(const char*, int, int, int) override { return 0; }
    void gfxDrawImage(float, float, float, float, int, int) override {}
    int gfxCreateFont(const TextAttributes*) override { return 0; }
    void gfxSelectFont(int) override {}
    void gfxSetTextColor(const ColorRGBA*) override {}
    void gfxBeginText() override {}
    void gfxEndText() override {}
    void gfxDrawText(const char*, float, float, int, int) override {}
};
struct FakeNetwork final : INetworkLayer {
    void netStart() override {}
    void netResetAttempt() override {}
    void netEnableQueryReporting(int, const char*, QueryReportingSetup*) override {}
    void netConfigure(int, void*) override {}
    void netSetPlayerName(const char*) override {}
    void netSetPlayerColor(uint32_t) override {}
    int netHostSession(SessionDescription*) override { return 0; }
    int netJoinSession(SessionDescription*, int) override { return 0; }
    int netGetSessionInfo(SessionDescription*) override { return 0; }
    int netGetLastError() override { return 0; }
    int netSyncFile(const char*, int*) override { return 0; }
    void netSetSessionReady(int) override {}
    int netIsSessionReady() override { return 0; }
    void netOnDeactivate() override { Journal("NET:off"); }
};

// The system's cursor display counter (0 visible, -1 hidden when exact).
int CursorCounter() {
    int counter = ShowCursor(TRUE) - 1;
    ShowCursor(FALSE);
    return counter;
}

// Message callbacks that journal, or change the callbacks from inside the pump.
const UINT kWatched = WM_USER + 1;
void VARN_CDECL Watch(uintptr_t w, uintptr_t l) { Journal("cb(" + std::to_string(w) + "," + std::to_string(l) + ")"); }
void VARN_CDECL Late(uintptr_t, uintptr_t) { Journal("late"); }
void VARN_CDECL WatchClose(uintptr_t, uintptr_t) { Journal("close-cb quit=" + std::to_string(g_app.appPumpMessages() == 0)); }
void VARN_CDECL RemoveBoth(uintptr_t, uintptr_t) {
    Journal("remove-both");
    g_app.appRemoveMessageCallback(kWatched, RemoveBoth);
    g_app.appRemoveMessageCallback(kWatched, Watch);
}
void VARN_CDECL AddLate(uintptr_t, uintptr_t) {
    Journal("add-late");
    g_app.appAddMessageCallback(kWatched, Late);
}
void VARN_CDECL ReEnter(uintptr_t, uintptr_t) {
    g_app.appShowCursor(0);  // takes the lock the pump holds
    g_app.appSetActive(1);
    Journal("re-entered active=" + std::to_string(g_app.appIsActive()));
}

class AppWindow : public ::testing::Test {
protected:
    void SetUp() override {
        TheHostState() = HostState{};
        ShellSetRegistry(registry.Init());
        ASSERT_EQ(RegisterApplication(&registry), 1);
        g_calls.clear();
        blocks = ShellFallbackBlockCount();
    }
    void TearDown() override {
        DestroyMain();
        g_app.Shutdown(&registry);
        for (const char* id : {"INP", "DSP", "GFX", "NET"}) registry.UnregisterInterface(id);
        registry.Deinit();
        ShellSetRegistry(nullptr);
        TheHostState() = HostState{};
        ShowCursor(TRUE);
    }
    HWND Create(int windowed, int x, int y, int width, int height) {
        DestroyMain();
        g_app.appSetWindowed(windowed);
        if (!CreateMainWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL, x, y, width, height)) return nullptr;
        g_calls.clear();
        return static_cast<HWND>(TheHostState().mainWindow);
    }
    // As the host's shutdown does: closing flag, then destroy.
    void DestroyMain() {
        HostState& state = TheHostState();
        if (!state.mainWindow) return;
        state.closing = 1;
        DestroyWindow(static_cast<HWND>(state.mainWindow));
        state.closing = 0;
        state.mainWindow = nullptr;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {}
    }
    void RegisterModules() {
        registry.RegisterInterface("INP", static_cast<IInputManager*>(&input), 0);
        registry.RegisterInterface("DSP", static_cast<IDisplayManager*>(&display), 0);
        registry.RegisterInterface("GFX", static_cast<IGraphicsEngine*>(&graphics), 0);
        registry.RegisterInterface("NET", static_cast<INetworkLayer*>(&network), 0);
    }
    std::string Pump(int* result) {
        g_calls.clear();
        *result = g_app.appPumpMessages();
        return g_calls;
    }

    InterfaceManager registry;
    FakeInput input;
    FakeDisplay display;
    FakeGraphics graphics;
    FakeNetwork network;
    size_t blocks = 0;
};

TEST_F(AppWindow, BeforeTheWindowAndPendingText) {
    void* object = nullptr;
    ASSERT_EQ(registry.GetInterface("APP", &object), 1);
    EXPECT_EQ(object, static_cast<IApplication*>(&g_app));
    registry.ReleaseInterface("APP", &object);
    EXPECT_EQ(ShellGetApplication(), &g_app);

    RegisterModules();
    g_app.appSetActive(1);
    ActivationNotifier(1);
    EXPECT_EQ(g_app.appIsActive(), 0);
    EXPECT_EQ(g_calls, "");
    EXPECT_EQ(g_app.appGetApplicationGuid(), nullptr);
    EXPECT_EQ(g_app.appGetWindowHandle(), nullptr);
    EXPECT_EQ(g_app.appGetInstanceHandle(), nullptr);
    VarnRect rect = {7, 7, 7, 7};
    g_app.appGetWindowRect(&rect);
    EXPECT_EQ(rect.left + rect.top + rect.right + rect.bottom, 0);
    char current[260];
    ASSERT_TRUE(plat::DirGetCurrent(current, sizeof current));
    EXPECT_STREQ(g_app.appGetBaseDirectory(), current);

    EXPECT_EQ(g_app.appHasPendingText(), 0);
    g_app.appSetPendingText(nullptr);
    EXPECT_EQ(g_app.appHasPendingText(), 0);
    const struct {
        size_t length;
        size_t kept;
    } texts[] = {{0, 0}, {5, 5}, {1023, 1023}, {1024, 1023}, {5000, 1023}};
    for (const auto& t : texts) {
        std::string text(t.length, 'p');
        g_app.appSetPendingText(text.c_str());
        EXPECT_EQ(g_app.appHasPendingText(), 1);
        EXPECT_EQ(std::strlen(g_app.PendingText()), t.kept) << t.length;
    }
}

TEST_F(AppWindow, CursorEndsExactlyVisibleOrHidden) {
    const struct {
        int before;  // raw show (+) or hide (-) requests made first
        int requests[4];
        int count;
        int counter;
    } cases[] = {{0, {0, 0, 0, 1}, 4, 0}, {0, {1, 1, 1, 0}, 4, -1}, {3, {1}, 1, 0}, {-4, {0}, 1, -1}, {-4, {1}, 1, 0}, {5, {0}, 1, -1}};
    for (const auto& c : cases) {
        for (int i = 0; i < c.before; ++i) ShowCursor(TRUE);
        for (int i = 0; i > c.before; --i) ShowCursor(FALSE);
        for (int i = 0; i < c.count; ++i) g_app.appShowCursor(c.requests[i]);
        EXPECT_EQ(CursorCounter(), c.counter) << "before " << c.before << " last " << c.requests[c.count - 1];
    }
}

TEST_F(AppWindow, WindowedPlacementAndPublishedValues) {
    const struct {
        int x, y, width, height;
    } cases[] = {{40, 30, 800, 600}, {0, 0, 640, 480}, {123, 77, 320, 200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        HWND window = Create(1, c.x, c.y, c.width, c.height);
        ASSERT_NE(window, nullptr);
        RECT client, outer;
        GetClientRect(window, &client);
        GetWindowRect(window, &outer);
        EXPECT_EQ(client.right - client.left, c.width);
        EXPECT_EQ(client.bottom - client.top, c.height);
        EXPECT_EQ(outer.left, c.x);
        EXPECT_EQ(outer.top, c.y);

        EXPECT_EQ(g_app.appGetWindowHandle(), window);
        EXPECT_EQ(g_app.appGetInstanceHandle(), GetModuleHandleA(nullptr));
        EXPECT_EQ(ShellGetWindowHandle(), window);
        ASSERT_NE(g_app.appGetApplicationGuid(), nullptr);
        EXPECT_EQ(std::memcmp(g_app.appGetApplicationGuid(), &kApplicationGuid, 16), 0);
        EXPECT_EQ(std::memcmp(ShellGetApplicationGuid(), &kApplicationGuid, 16), 0);

        // Moved elsewhere, then back to the rectangle it was created with.
        g_app.appSetWindowPos(10, 20, 300, 200);
        VarnRect moved;
        g_app.appGetWindowRect(&moved);
        EXPECT_EQ(moved.left, 10);
        EXPECT_EQ(moved.right - moved.left, 300);
        catalogtest::LogRecorder log;
        g_app.appRestoreWindow();
        EXPECT_TRUE(log.Has(LogSeverity::Info, "...we're already foreground!")) << log.All();
        EXPECT_TRUE(log.Has(LogSeverity::Info, "appSetForeground: calling ShowWindow..."));
        VarnRect restored;
        g_app.appGetWindowRect(&restored);
        EXPECT_EQ(restored.left, outer.left);
        EXPECT_EQ(restored.top, outer.top);
        EXPECT_EQ(restored.right, outer.right);
        EXPECT_EQ(restored.bottom, outer.bottom);
    }
    HWND window = static_cast<HWND>(TheHostState().mainWindow);
    char text[64];
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ(text, "Varn-1918");
    GetClassNameA(window, text, sizeof text);
    EXPECT_STREQ(text, "WindowClass");
    EXPECT_NE(GetClassLongPtrA(window, GCLP_HICON), 0u);
    EXPECT_EQ(GetClassLongPtrA(window, GCLP_HCURSOR), 0u);
    const int counter = CursorCounter();  // windowed: the cursor is the system's business
    EXPECT_EQ(SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), FALSE);
    EXPECT_EQ(CursorCounter(), counter);
}

TEST_F(AppWindow, FullScreenCoversThePrimaryMonitor) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    const std::string monitor = "[(0,0),(" + std::to_string(width) + "," + std::to_string(height) + ")]...";
    const struct {
        int x, y, width, height;
        const char* located;
    } cases[] = {{0, 0, 0, 0, "locating monitor for RECT[(0,0),(0,0)]..."},
                 {-5000, 9000, 10, 10, "locating monitor for RECT[(-5000,9000),(-4990,9010)]..."},
                 {200, 100, 2147483647, 50, "locating monitor for RECT[(200,100),(2147483647,150)]..."}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.located);
        catalogtest::LogRecorder log;
        HWND window = Create(0, c.x, c.y, c.width, c.height);
        ASSERT_NE(window, nullptr);
        RECT outer;
        GetWindowRect(window, &outer);
        EXPECT_EQ(outer.left, 0);
        EXPECT_EQ(outer.top, 0);
        EXPECT_EQ(outer.right, width);
        EXPECT_EQ(outer.bottom, height);
        EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & (WS_POPUP | WS_CAPTION), WS_POPUP);
        EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_TRUE(log.Has(LogSeverity::Info, c.located)) << log.All();
        EXPECT_TRUE(log.Has(LogSeverity::Info, "mi.rcMonitor=" + monitor)) << log.All();
        EXPECT_EQ(CursorCounter(), -1);
        ShowCursor(TRUE);
        ShowCursor(TRUE);
        EXPECT_EQ(SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), TRUE);
        EXPECT_EQ(CursorCounter(), -1);
    }
    TheHostState().monitorCount = 1;
    CountMonitors();  // adds to the count
    EXPECT_EQ(TheHostState().monitorCount, 1 + GetSystemMetrics(SM_CMONITORS));
}

// Full screen swallows size, move, maximise, key-menu and monitor-power, and
// compares the whole wParam. A posted Escape key ends the system's move loop,
// so a consumed key shows that default processing ran a move.
TEST_F(AppWindow, SystemCommandsInFullScreen) {
    enum Effect { kMoveLoop, kZoomed, kIconic };
    const struct {
        int windowed;
        WPARAM command;
        Effect effect;
        bool swallowed;
    } cases[] = {{0, SC_MOVE, kMoveLoop, true},       {0, SC_MOVE | 2, kMoveLoop, false}, {1, SC_MOVE, kMoveLoop, false},
                 {0, SC_MAXIMIZE, kZoomed, true},     {0, SC_MAXIMIZE | 2, kZoomed, false},
                 {1, SC_MAXIMIZE, kZoomed, false},    {0, SC_MINIMIZE, kIconic, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.windowed) + " " + std::to_string(c.command));
        HWND window = Create(c.windowed, 50, 50, 400, 300);
        ASSERT_NE(window, nullptr);
        if (c.effect == kMoveLoop) PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
        SendMessageA(window, WM_SYSCOMMAND, c.command, 0);
        MSG key;
        bool happened = c.effect == kMoveLoop ? !PeekMessageA(&key, window, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)
                        : c.effect == kZoomed ? IsZoomed(window) != 0
                                              : IsIconic(window) != 0;
        EXPECT_EQ(happened, !c.swallowed);
    }
}

TEST_F(AppWindow, ActivationNotifierJournal) {
    RegisterModules();
    HWND window = Create(1, 20, 20, 300, 200);
    ASSERT_NE(window, nullptr);
    const struct {
        UINT message;
        WPARAM wParam;
        const char* calls;
        int active;
    } cases[] = {
        {WM_ACTIVATE, WA_CLICKACTIVE, "INP:1 DSP:1 GFX:1 ", 1},
        {WM_ACTIVATE, WA_INACTIVE, "INP:0 DSP:0 GFX:0 NET:off ", 0},
        {WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 1), "INP:1 DSP:1 GFX:1 ", 1},
        {WM_KILLFOCUS, 0, "INP:0 DSP:0 GFX:0 NET:off ", 0},
        {WM_ACTIVATEAPP, TRUE, "INP:1 DSP:1 GFX:1 ", 1},
        {WM_ACTIVATEAPP, FALSE, "INP:0 DSP:0 GFX:0 NET:off ", 0},
    };
    for (const auto& c : cases) {
        g_calls.clear();
        EXPECT_EQ(SendMessageA(window, c.message, c.wParam, 0), 0);
        EXPECT_EQ(g_calls, c.calls) << c.message << " " << c.wParam;
        EXPECT_EQ(g_app.appIsActive(), c.active);
    }
    for (const char* id : {"INP", "DSP", "GFX", "NET"}) EXPECT_EQ(registry.ReferenceCount(id), 0) << id;

    // Absent modules are skipped; without a registry only "APP" hears of it.
    registry.UnregisterInterface("DSP");
    registry.UnregisterInterface("NET");
    g_calls.clear();
    ActivationNotifier(0);
    EXPECT_EQ(g_calls, "INP:0 GFX:0 ");
    ShellSetRegistry(nullptr);
    ActivationNotifier(1);
    ShellSetRegistry(&registry);
    EXPECT_EQ(g_calls, "INP:0 GFX:0 ");
    EXPECT_EQ(g_app.appIsActive(), 1);

    // While closing, the window procedure hands everything to default processing.
    TheHostState().closing = 1;
    g_calls.clear();
    SendMessageA(window, WM_ACTIVATE, WA_INACTIVE, 0);
    SendMessageA(window, WM_KILLFOCUS, 0, 0);
    TheHostState().closing = 0;
    EXPECT_EQ(g_calls, "");
    EXPECT_EQ(g_app.appIsActive(), 1);
}

// Waits for an event while handling the messages other threads send to this one.
void WaitServingSentMessages(HANDLE event) {
    while (MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_SENDMESSAGE) != WAIT_OBJECT_0) {
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    }
}

TEST_F(AppWindow, ForegroundTakenFromAnotherThreadsWindow) {
    HWND window = Create(1, 0, 0, 200, 100);
    ASSERT_NE(window, nullptr);
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr), done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND other = nullptr;
    std::thread thread([&] {
        other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 300, 300, 50, 50, nullptr, nullptr, nullptr, nullptr);
        SetForegroundWindow(other);
        // Ready once the activation has gone through (or after 1000 rounds, for the test to fail).
        for (int round = 0; MsgWaitForMultipleObjects(1, &done, FALSE, 10, QS_ALLINPUT) != WAIT_OBJECT_0; ++round) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
            if (GetForegroundWindow() == other || round == 1000) SetEvent(ready);
        }
        DestroyWindow(other);
    });
    WaitServingSentMessages(ready);
    EXPECT_EQ(GetForegroundWindow(), other);
    catalogtest::LogRecorder log;
    g_app.appSetForeground(0);
    // (Wine leaves no foreground window once the shared input is detached
    // again; the keyboard focus is where the host's focus loop looks.)
    EXPECT_EQ(GetFocus(), window);
    EXPECT_TRUE(log.Has(LogSeverity::Info, "appSetForeground: attempting to bring g_hWnd to the foreground..."));
    EXPECT_FALSE(log.Has(LogSeverity::Info, "appSetForeground: calling ShowWindow...")) << log.All();
    SetEvent(done);
    thread.join();
    CloseHandle(ready);
    CloseHandle(done);
}

TEST_F(AppWindow, DeactivationMinimisesOnlyALoneFullScreenWindow) {
    const struct {
        int windowed, monitors, wasActive;
        bool minimised;
    } cases[] = {{0, 1, 1, true}, {0, 2, 1, false}, {1, 1, 1, false}, {0, 1, 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.windowed) + std::to_string(c.monitors) + std::to_string(c.wasActive));
        HWND window = Create(c.windowed, 0, 0, 300, 200);
        ASSERT_NE(window, nullptr);
        TheHostState().monitorCount = c.monitors;
        if (c.wasActive) g_app.appSetActive(1);
        EXPECT_EQ(g_app.appIsActive(), c.wasActive);
        g_app.appSetActive(0);
        EXPECT_EQ(IsIconic(window) != 0, c.minimised);
        EXPECT_EQ(g_app.appIsActive(), 0);
        EXPECT_EQ(CursorCounter(), 0);
    }
}

TEST_F(AppWindow, PumpDispatchesCallbacksFirstAndReportsQuit) {
    HWND window = Create(1, 0, 0, 200, 100);
    ASSERT_NE(window, nullptr);
    g_app.appAddMessageCallback(kWatched, Watch);
    g_app.appAddMessageCallback(kWatched, ReEnter);
    int result = -1;
    PostMessageA(window, kWatched, 5, 6);
    EXPECT_EQ(Pump(&result), "cb(5,6) re-entered active=1 ");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(CursorCounter(), -1);

    // A quit message (taken after the posted messages) ends the pump, which
    // then reports 0 without the quit flag; the next pump goes on.
    PostMessageA(window, kWatched, 1, 0);
    PostQuitMessage(0);
    PostMessageA(window, kWatched, 2, 0);
    EXPECT_EQ(Pump(&result), "cb(1,0) re-entered active=1 cb(2,0) re-entered active=1 ");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Pump(&result), "");
    EXPECT_EQ(result, 1);

    // After the quit request every pump reports 0 and still dispatches.
    g_app.appRemoveMessageCallback(kWatched, ReEnter);
    g_app.appRequestQuit();
    for (int i = 0; i < 2; ++i) {
        PostMessageA(window, kWatched, i, 9);
        EXPECT_EQ(Pump(&result), "cb(" + std::to_string(i) + ",9) ");
        EXPECT_EQ(result, 0);
    }
}

TEST_F(AppWindow, CloseRequestsQuitAndDestroysTheWindow) {
    HWND window = Create(1, 0, 0, 200, 100);
    ASSERT_NE(window, nullptr);
    g_app.appAddMessageCallback(WM_CLOSE, WatchClose);
    int result = -1;
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(Pump(&result), "close-cb quit=0 ");  // the callback ran before the window procedure
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(IsWindow(window));
    TheHostState().mainWindow = nullptr;
}

TEST_F(AppWindow, CallbackListChangedFromInsideThePump) {
    HWND window = Create(1, 0, 0, 200, 100);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(g_app.CallbackCount(), -1);
    int result = -1;

    // A callback added during a dispatch hears the next message, not this one.
    g_app.appAddMessageCallback(kWatched, AddLate);
    PostMessageA(window, kWatched, 0, 0);
    EXPECT_EQ(Pump(&result), "add-late ");
    PostMessageA(window, kWatched, 0, 0);
    EXPECT_EQ(Pump(&result), "add-late late ");
    g_app.appRemoveMessageCallback(kWatched, AddLate);
    g_app.appRemoveMessageCallback(kWatched, Late);
    EXPECT_EQ(g_app.CallbackCount(), -1);
    EXPECT_EQ(ShellFallbackBlockCount(), blocks);  // list, entries and nodes freed

    // The dispatching callback removes itself and the other one: the list
    // empties while it is walked and is freed once the walk is over.
    g_app.appAddMessageCallback(kWatched, RemoveBoth);
    g_app.appAddMessageCallback(kWatched, Watch);
    PostMessageA(window, kWatched, 3, 4);
    PostMessageA(window, kWatched, 5, 6);
    EXPECT_EQ(Pump(&result), "remove-both ");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(g_app.CallbackCount(), -1);
    EXPECT_EQ(ShellFallbackBlockCount(), blocks);

    // Adding afterwards works as on first use; shutdown frees a list still held.
    g_app.appAddMessageCallback(kWatched, Watch);
    EXPECT_EQ(g_app.CallbackCount(), 1);
    DestroyMain();
    g_app.Shutdown(&registry);
    EXPECT_EQ(g_app.CallbackCount(), -1);
    EXPECT_EQ(g_app.appGetWindowHandle(), nullptr);
    EXPECT_EQ(ShellGetApplication(), nullptr);
    void* object = nullptr;
    EXPECT_EQ(registry.GetInterface("APP", &object), 0);
    EXPECT_EQ(ShellFallbackBlockCount(), 0u);  // the "APP" entry and the shell's texts went too
}

}  // namespace
