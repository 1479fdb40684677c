#include "launch_fakes.h"

#include "host/launch/multiplayer_launch.h"
#include "host/launch/session_launch.h"
#include "ini/ini_file.h"

#include <fstream>
#include <sstream>

namespace launchtest {

namespace {

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string Text(const char* text) { return text ? text : "(null)"; }

}  // namespace

FakeApp::FakeApp(Journal& journal) : m_journal(journal) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = TestWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VarnLaunchTestWindow";
    RegisterClassA(&windowClass);
    RECT frame = {0, 0, 640, 480};
    AdjustWindowRect(&frame, WS_POPUP, FALSE);
    mainWindow = CreateWindowA("VarnLaunchTestWindow", "Launch test", WS_POPUP | WS_VISIBLE, 0, 0,
                               frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    windowHandle = mainWindow;
    instanceHandle = GetModuleHandleA(nullptr);
}

FakeApp::~FakeApp() {
    if (mainWindow) DestroyWindow(mainWindow);
}

int32_t FakeApp::appPumpMessages() {
    ++pumps;
    m_journal.push_back("APP:pump");
    MSG message;
    for (int i = 0; i < 100 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return Next<int32_t>(pumpResults, 1);
}

void FakeNetwork::netEnableQueryReporting(int mode, const char* address, QueryReportingSetup* s) {
    m_journal.push_back("NET:query " + std::to_string(mode) + " " + Text(address));
    if (s) setup = *s;
    queryAddress = Text(address);
}

void FakeNetwork::netConfigure(int size, void* block) {
    bool zero = block != nullptr;
    for (int i = 0; zero && i < size; ++i) zero = static_cast<const uint8_t*>(block)[i] == 0;
    m_journal.push_back("NET:configure " + std::to_string(size) + (zero ? " zero" : " data"));
}

void FakeNetwork::netSetPlayerColor(uint32_t c) {
    color = c;
    char hex[16];
    snprintf(hex, sizeof hex, "%08X", c);
    m_journal.push_back(std::string("NET:color ") + hex);
}

int FakeNetwork::netHostSession(SessionDescription* description) {
    m_journal.push_back("NET:host");
    hosted = *description;
    hostedName = Text(description->sessionName);
    hostedPassword = Text(description->password);
    const uint8_t* gameplay = static_cast<const uint8_t*>(description->gameplayOptions);
    if (gameplay) hostedGameplay.assign(gameplay, gameplay + description->gameplayOptionsSize);
    inSession = hostResult;
    return hostResult;
}

int FakeNetwork::netJoinSession(SessionDescription* description, int flags) {
    m_journal.push_back("NET:join " + std::to_string(flags));
    joined = *description;
    joinedAddress = Text(description->hostAddress);
    joinedPassword = Text(description->password);
    const int result = Next(joinResults, 0);
    if (result) inSession = 1;
    return result;
}

int FakeNetwork::netGetSessionInfo(SessionDescription* description) {
    m_journal.push_back("NET:info");
    const int result = Next(sessionInfo, inSession);
    if (!result) return 0;
    description->sessionName = session.name;
    description->gameType = session.gameType;
    description->maxPlayers = session.maxPlayers;
    description->currentPlayers = session.currentPlayers;
    return result;
}

int FakeNetwork::netGetLastError() {
    const int code = Next(errorCodes, 3);
    m_journal.push_back("NET:error " + std::to_string(code));
    return code;
}

int FakeNetwork::netSyncFile(const char* name, int* replaced) {
    m_journal.push_back(std::string("NET:sync ") + Text(name));
    auto found = syncResults.find(Text(name));
    const std::pair<int, int> result = found != syncResults.end() ? found->second : std::make_pair(1, 0);
    *replaced = result.second;
    return result.first;
}

int FakeNetwork::netIsSessionReady() {
    const int ready = Next(readyAnswers, readyDefault);
    m_journal.push_back("NET:ready? " + std::to_string(ready));
    return ready;
}

void FakeMissions::mmgStartNetwork() {
    m_journal.push_back("MMG:start network");
    if (layerPresent) m_registry.RegisterInterface(VARN_ID_NET, m_network, 0);
}

void FakeTypeList::Reload(int index, int option) {
    char directory[260] = "";
    GetCurrentDirectoryA(sizeof directory, directory);
    const char* last = strrchr(directory, '\\');
    m_journal.push_back("OBJ:reload " + m_name + " " + std::to_string(index) + " " + std::to_string(option) + " in " +
                        (last ? last + 1 : directory));
}

void LaunchTest::SetUp() {
    ASSERT_TRUE(dir.Made());
    ASSERT_NE(app.mainWindow, nullptr);
    char current[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof current, current);
    previousDirectory = current;
    ASSERT_TRUE(SetCurrentDirectoryA(dir.Path()));
    CreateDirectoryA(dir.File("Objects").c_str(), nullptr);

    ShellSetRegistry(registry.Init());
    files.Initialize();
    files.fmgSetCacheDirectory(dir.File("NetCache").c_str());
    registry.RegisterInterface(VARN_ID_FMG, static_cast<IFileManager*>(&files), 0);
    ShellAttachHost(&app);  // the options document is read through the bound file manager
    options.Initialize();
    ASSERT_TRUE(dir.Write("Options.ini", "[Multiplayer]\nPlayerColor=4\nPassword=HostSecret \n"));
    ASSERT_NE(options.optOpen(dir.File("Options.ini").c_str()), nullptr);
    registry.RegisterInterface(VARN_ID_OPT, static_cast<IOptionsFile*>(&options), 0);
    registry.RegisterInterface(VARN_ID_APP, static_cast<IApplication*>(&app), 0);
    registry.RegisterInterface(VARN_ID_TXT, static_cast<ITextManager*>(&text), 0);
    registry.RegisterInterface(VARN_ID_MMG, static_cast<IMissionManager*>(&missions), 0);
    registry.RegisterInterface(VARN_ID_OBJ, static_cast<IObjectManager*>(&objects), 0);

    text.texts = {{"TXT_MENU_CREATING", "Creating session"},
                  {"TXT_MENU_CONNECTING", "Connecting"},
                  {"TXT_MENU_CHECKING", "Checking aircraft"},
                  {"TXT_MENU_ERR_NOT_FOUND", "Session not found"},
                  {"TXT_MENU_ERR_CLOSED", "Session closed"},
                  {"TXT_MENU_ERR_FULL", "Session full"},
                  {"TXT_MENU_ERR_OTHER", "Could not join"}};
    SetJoinAttemptPause(0);
}

void LaunchTest::TearDown() {
    ShellDetachHost();
    for (const char* id : {VARN_ID_NET, VARN_ID_OBJ, VARN_ID_MMG, VARN_ID_TXT, VARN_ID_APP, VARN_ID_OPT, VARN_ID_FMG})
        registry.UnregisterInterface(id);
    options.Shutdown();
    files.Shutdown();
    registry.Deinit();
    ShellSetRegistry(nullptr);
    SetCurrentDirectoryA(previousDirectory.c_str());
}

int LaunchTest::Launch(const std::string& commandLine, const std::string& netLaunch) {
    dir.Write("startup.ini", "[NetLaunch]\n" + netLaunch);
    IniFile startup(dir.File("startup.ini").c_str(), 0, 0, 0);
    journal.clear();
    return LobbyLaunch(commandLine.c_str(), &startup, nextScreen);
}

std::string LaunchTest::ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

Journal LaunchTest::Lines(const std::string& prefix) {
    Journal lines;
    for (const std::string& line : journal) {
        if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line);
    }
    return lines;
}

}  // namespace launchtest
