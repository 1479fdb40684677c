// "APP", the main window and the activation notifier with real windows, a
// real registry and the host's service access layer. A fake module set
// ("INP", "DSP", "GFX", "NET") journals the calls the host makes on it.
#include "core/interface_manager.h"
#include "files/paths.h"
#include "host/activation.h"
#include "host/app_object.h"
#include "host/host_state.h"
#include "host/main_window.h"
#include "shell/shell.h"
#include "tests/support/log_recorder.h"
#include "tests/support/quiet_graphics_engine.h"
#include "varn/dsp.h"
#include "varn/gfx.h"
#include "varn/inp.h"
#include "varn/net.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {
ApplicationInterface g_app;
}  // namespace
ApplicationInterface& TheApplication() { return g_app; }

namespace {

std::string g_calls;
void Journal(const std::string& text) { g_calls += text + " "; }

struct FakeModules final : IInputManager, IDisplayManager, QuietGraphicsEngine, INetworkLayer {
    void inpSetActive(int active) override { Journal("INP:" + std::to_string(active)); }
    void dspSetActive(int active) override { Journal("DSP:" + std::to_string(active)); }
    void gfxSetActive(int active) override { Journal("GFX:" + std::to_string(active)); }
    void netOnDeactivate() override { Journal("NET:off"); }
    // Not called by the host's window code.
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
};

// The system's cursor display counter (0 visible, -1 hidden when exact).
int CursorCounter() {
    int counter = ShowCursor(TRUE) - 1;
    ShowCursor(FALSE);
    return counter;
}

// Message callbacks that journal, or call "APP" from inside the pump.
const UINT kWatched = WM_USER + 1;
void VARN_CDECL Watch(uintptr_t w, uintptr_t l) { Journal("cb(" + std::to_string(w) + "," + std::to_string(l) + ")"); }
void VARN_CDECL Late(uintptr_t, uintptr_t) { Journal("late"); }
void VARN_CDECL WatchClose(uintptr_t, uintptr_t) { Journal("close quit=" + std::to_string(g_app.appPumpMessages() == 0)); }
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
    Journal("active=" + std::to_string(g_app.appIsActive()));
}

class AppWindow : public ::testing::Test {
protected:
    void SetUp() override {
        TheHostState() = HostState{};
        ShellSetRegistry(registry.Init());
        ASSERT_EQ(RegisterApplication(&registry), 1);
        blocks = ShellFallbackBlockCount();
    }
    void TearDown() override {
        DestroyMain();
        g_app.Shutdown(&registry);
        for (const char* id : {"INP", "DSP", "GFX", "NET"}) registry.UnregisterInterface(id);
        registry.Deinit();
        ShellSetRegistry(nullptr);
        TheHostState() = HostState{};
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
        state.closing = 1;
        if (state.mainWindow) DestroyWindow(static_cast<HWND>(state.mainWindow));
        state.mainWindow = nullptr;
        state.closing = 0;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {}
    }
    void RegisterModules() {
        registry.RegisterInterface("INP", static_cast<IInputManager*>(&modules), 0);
        registry.RegisterInterface("DSP", static_cast<IDisplayManager*>(&modules), 0);
        registry.RegisterInterface("GFX", static_cast<IGraphicsEngine*>(&modules), 0);
        registry.RegisterInterface("NET", static_cast<INetworkLayer*>(&modules), 0);
    }
    std::string Pump(int expected) {
        g_calls.clear();
        EXPECT_EQ(g_app.appPumpMessages(), expected);
        return g_calls;
    }

    InterfaceManager registry;
    FakeModules modules;
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
    VarnRect rect = {7, 7, 7, 7};
    g_app.appGetWindowRect(&rect);
    EXPECT_EQ(rect.left | rect.top | rect.right | rect.bottom, 0);
    char current[kPathSize];
    ASSERT_TRUE(plat::DirGetCurrent(current, sizeof current));
    EXPECT_STREQ(g_app.appGetBaseDirectory(), current);

    g_app.appSetPendingText(nullptr);
    EXPECT_EQ(g_app.appHasPendingText(), 0);
    for (size_t length : {0, 5, 1023, 1024, 5000}) {
        g_app.appSetPendingText(std::string(length, 'p').c_str());
        EXPECT_EQ(g_app.appHasPendingText(), 1);
        EXPECT_EQ(std::strlen(g_app.PendingText()), length < 1023 ? length : 1023);
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
    ShowCursor(TRUE);
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
        VarnRect moved, restored;
        g_app.appGetWindowRect(&moved);
        EXPECT_EQ(moved.left + moved.right, 10 + 310);
        testsupport::LogRecorder log;
        g_app.appRestoreWindow();
        EXPECT_TRUE(log.Has(LogSeverity::Info, "...we're already foreground!")) << log.All();
        EXPECT_TRUE(log.Has(LogSeverity::Info, "appSetForeground: calling ShowWindow..."));
        g_app.appGetWindowRect(&restored);
        EXPECT_EQ(std::memcmp(&restored, &outer, sizeof outer), 0);
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
        testsupport::LogRecorder log;
        HWND window = Create(0, c.x, c.y, c.width, c.height);
        ASSERT_NE(window, nullptr);
        RECT outer;
        GetWindowRect(window, &outer);
        EXPECT_EQ(outer.left | outer.top, 0);
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
    ShowCursor(TRUE);
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
    } cases[] = {{0, SC_MOVE, kMoveLoop, true},   {0, SC_MOVE | 2, kMoveLoop, false}, {1, SC_MOVE, kMoveLoop, false},
                 {0, SC_MAXIMIZE, kZoomed, true}, {0, SC_MAXIMIZE | 2, kZoomed, false}, {1, SC_MAXIMIZE, kZoomed, false},
                 {0, SC_MINIMIZE, kIconic, false}};
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
    ShowCursor(TRUE);
}

TEST_F(AppWindow, ActivationNotifierJournal) {
    RegisterModules();
    HWND window = Create(1, 20, 20, 300, 200);
    ASSERT_NE(window, nullptr);
    const char* on = "INP:1 DSP:1 GFX:1 ";
    const char* off = "INP:0 DSP:0 GFX:0 NET:off ";
    const struct {
        UINT message;
        WPARAM wParam;
        const char* calls;
    } cases[] = {{WM_ACTIVATE, WA_CLICKACTIVE, on}, {WM_ACTIVATE, WA_INACTIVE, off}, {WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 1), on},
                 {WM_KILLFOCUS, 0, off},            {WM_ACTIVATEAPP, TRUE, on},       {WM_ACTIVATEAPP, FALSE, off}};
    for (const auto& c : cases) {
        g_calls.clear();
        EXPECT_EQ(SendMessageA(window, c.message, c.wParam, 0), 0);
        EXPECT_EQ(g_calls, c.calls) << c.message << " " << c.wParam;
        EXPECT_EQ(g_app.appIsActive(), c.calls == on);
    }
    for (const char* id : {"INP", "DSP", "GFX", "NET"}) EXPECT_EQ(registry.ReferenceCount(id), 0) << id;

    // Absent modules are skipped; without a registry only "APP" hears of it;
    // while closing, the window procedure hands everything to default processing.
    registry.UnregisterInterface("DSP");
    registry.UnregisterInterface("NET");
    g_calls.clear();
    ActivationNotifier(0);
    ShellSetRegistry(nullptr);
    ActivationNotifier(1);
    ShellSetRegistry(&registry);
    TheHostState().closing = 1;
    SendMessageA(window, WM_ACTIVATE, WA_INACTIVE, 0);
    SendMessageA(window, WM_KILLFOCUS, 0, 0);
    TheHostState().closing = 0;
    EXPECT_EQ(g_calls, "INP:0 GFX:0 ");
    EXPECT_EQ(g_app.appIsActive(), 1);
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

TEST_F(AppWindow, PumpCallbacksQuitAndClose) {
    HWND window = Create(1, 0, 0, 200, 100);
    ASSERT_NE(window, nullptr);
    g_app.appAddMessageCallback(kWatched, Watch);
    g_app.appAddMessageCallback(kWatched, ReEnter);
    PostMessageA(window, kWatched, 5, 6);
    EXPECT_EQ(Pump(1), "cb(5,6) active=1 ");
    EXPECT_EQ(CursorCounter(), -1);

    // A quit message (taken after the posted ones) ends the pump, which then
    // reports 0 without the quit flag; the next pump goes on.
    PostMessageA(window, kWatched, 1, 0);
    PostQuitMessage(0);
    PostMessageA(window, kWatched, 2, 0);
    EXPECT_EQ(Pump(0), "cb(1,0) active=1 cb(2,0) active=1 ");
    EXPECT_EQ(Pump(1), "");

    // Close: the callback runs before the window procedure, which raises the
    // quit flag and destroys the window; every later pump reports 0.
    g_app.appRemoveMessageCallback(kWatched, ReEnter);
    g_app.appAddMessageCallback(WM_CLOSE, WatchClose);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(Pump(0), "close quit=0 ");
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Pump(0), "");
    g_app.appRequestQuit();
    EXPECT_EQ(Pump(0), "");
}

TEST_F(AppWindow, QuitRequestStillDispatchesAndCallbacksChangeInsideThePump) {
    HWND window = Create(1, 0, 0, 200, 100);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(g_app.CallbackCount(), -1);
    g_app.appRequestQuit();

    // A callback added during a dispatch hears the next message, not this one.
    g_app.appAddMessageCallback(kWatched, AddLate);
    PostMessageA(window, kWatched, 0, 0);
    EXPECT_EQ(Pump(0), "add-late ");
    PostMessageA(window, kWatched, 0, 0);
    EXPECT_EQ(Pump(0), "add-late late ");
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
    EXPECT_EQ(Pump(0), "remove-both ");
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
