// The probe module (see probe.h): every game interface the host calls, each
// operation journaled with its arguments and answered as Probe.ini says.
#include "probe.h"
#include "probe_abi.h"

#include "shell/shell.h"
#include "shell/shell_app.h"
#include "tests/support/quiet_graphics_engine.h"
#include "varn/varn.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace probe {
namespace {

IInterfaceManager* g_registry = nullptr;
std::string g_fileName;  // this copy's file name, e.g. "MenuSystem.dll"
std::string g_published;  // the ids this copy published, comma-separated

std::string Text(const char* text) { return text ? text : "(null)"; }
std::string Number(long long value) { return std::to_string(value); }

template <typename... Args>
std::string Join(const std::string& first, const Args&... rest) {
    std::string joined = first;
    ((joined += ", " + rest), ...);
    return joined;
}

// One journal line "ID operation(arguments)" or with " = result".
void Call(const char* id, const char* operation, const std::string& arguments) {
    Journal(std::string(id) + " " + operation + "(" + arguments + ")");
}
int Answer(const char* id, const char* operation, const std::string& arguments, int result) {
    Journal(std::string(id) + " " + operation + "(" + arguments + ") = " + Number(result));
    return result;
}

// How many times this operation was called before in this process. The
// count lives in the process environment, so it survives the unloading and
// reloading of the module between phases.
int NextCallIndex(const char* id, const char* operation) {
    std::string name = std::string("VARN_PROBE_CALLS_") + id + "_" + operation;
    char value[32] = "";
    int index = GetEnvironmentVariableA(name.c_str(), value, sizeof value) ? atoi(value) : 0;
    SetEnvironmentVariableA(name.c_str(), Number(index + 1).c_str());
    return index;
}

int Scripted(const char* id, const char* operation, const char* key, int fallback) {
    return ScriptedResult(id, key, NextCallIndex(id, operation), fallback);
}

// ---- Probe-private holder (probe_abi.h): takes an id for another module and
// lets go later, and calls the MSVC-ABI probe's interface.
const char kHolderId[] = PROBE_ID_HOLDER;

int32_t VARN_CDECL AbiCallback(int32_t value, void* context) { return value * 2 + *static_cast<int32_t*>(context); }

class Holder final : public IProbeHolder {
public:
    void Hold(const char* id) override {
        ReleaseHeld();
        snprintf(m_id, sizeof m_id, "%s", id);
        int got = g_registry->GetInterface(m_id, &m_object);
        Journal(std::string("HLD hold(") + m_id + ") = " + Number(got));
    }
    void ReleaseHeld() override {
        if (!m_object) return;
        Journal(std::string("HLD release(") + m_id + ")");
        g_registry->ReleaseInterface(m_id, &m_object);
    }
    void CallAbiProbe(const char* id) override {
        void* object = nullptr;
        if (!g_registry->GetInterface(id, &object)) {
            Journal(std::string("HLD abi(") + Text(id) + ") missing");
            return;
        }
        IAbiProbe* abi = static_cast<IAbiProbe*>(object);
        char copied[8] = "";
        int32_t context = 1000;
        int length = abi->abiCopy("thiscall", copied, sizeof copied);
        char scaled[32];
        snprintf(scaled, sizeof scaled, "%.2f", abi->abiScale(1.25f, 3));
        Journal("HLD abi mix=" + Number(abi->abiMix(1, 2, 3, 4, 5)) + " scale=" + scaled + " copy=" + Number(length) +
                ":" + copied + " call=" + Number(abi->abiCall(AbiCallback, 20, &context)));
        g_registry->ReleaseInterface(id, &object);
    }

private:
    char m_id[8] = "";
    void* m_object = nullptr;
};

template <typename F>
void WithHolder(F f) {
    void* holder = nullptr;
    if (!g_registry->GetInterface(kHolderId, &holder)) return;
    f(static_cast<IProbeHolder*>(holder));
    g_registry->ReleaseInterface(kHolderId, &holder);
}

// ---- Base set ----------------------------------------------------------------
class Input final : public IInputManager {
    void inpSetActive(int active) override { Call("~INP", "inpSetActive", Number(active)); }
};

class Sound final : public ISoundManager {
    void sndSetDirectory(const char* directory) override { Call("SND", "sndSetDirectory", Text(directory)); }
    void sndSetSoundVolume(int volume) override { Call("SND", "sndSetSoundVolume", Number(volume)); }
    void sndSetStreamVolume(int volume) override { Call("SND", "sndSetStreamVolume", Number(volume)); }
};

class Controls final : public IControlMap {
    void ctlSetDirectory(const char* directory) override { Call("CTL", "ctlSetDirectory", Text(directory)); }
    void ctlRegisterCommandCallback(int command, CommandCallback) override {
        Call("CTL", "ctlRegisterCommandCallback", Number(command));
    }
    void ctlUnregisterCommandCallback(int command, CommandCallback) override {
        Call("CTL", "ctlUnregisterCommandCallback", Number(command));
    }
};

class Objects final : public IObjectManager {
    void objInit(const char* objectListFile) override { Call("OBJ", "objInit", Text(objectListFile)); }
    void objExit() override { Call("OBJ", "objExit", ""); }
    void objSetDirectory(const char* directory) override {
        Call("OBJ", "objSetDirectory", Text(directory));
        m_directory = Text(directory);
    }
    const char* objGetDirectory() override { return m_directory.c_str(); }
    int objGetTypeId(const char* typeName) override {
        return Answer("OBJ", "objGetTypeId", Text(typeName), ProbeTypeId(typeName));
    }
    void objGetTypeList(int typeId, ITypeList** list) override {
        Call("OBJ", "objGetTypeList", Number(typeId));
        if (ITypeList* found = ProbeTypeList(typeId)) *list = found;
    }
    int objGetFlagMask(const char* flagName) override { return Answer("OBJ", "objGetFlagMask", Text(flagName), 0); }
    IGameObject* objGetObject(int id) override {
        Call("OBJ", "objGetObject", Number(id));
        return nullptr;
    }
    int objGetPlayerObjectId() override { return Answer("OBJ", "objGetPlayerObjectId", "", -1); }

    std::string m_directory;
};

class Terrain final : public ITerrainEngine {
    void terInit() override { Call("TER", "terInit", ""); }
    void terExit() override { Call("TER", "terExit", ""); }
    void terSetDirectory(const char* directory) override { Call("TER", "terSetDirectory", Text(directory)); }
};

class Missions final : public IMissionManager {
    void mmgInit(const char* initFile) override { Call("MMG", "mmgInit", Text(initFile)); }
    void mmgExit() override {
        Call("MMG", "mmgExit", "");
        FreeNetwork();
    }
    void mmgSetMissionControlDirectory(const char* d) override { Call("MMG", "mmgSetMissionControlDirectory", Text(d)); }
    void mmgSetMultiplayerMode(const char* mode) override { Call("MMG", "mmgSetMultiplayerMode", Text(mode)); }
    void mmgSetMissionsDirectory(const char* d) override { Call("MMG", "mmgSetMissionsDirectory", Text(d)); }
    void mmgSetCampaignsDirectory(const char* d) override { Call("MMG", "mmgSetCampaignsDirectory", Text(d)); }
    void mmgSetNetworkLayer(const char* name) override {
        Call("MMG", "mmgSetNetworkLayer", Text(name));
        m_networkLayer = Text(name);
    }
    // The mission manager, never the host, loads the network layer.
    void mmgStartNetwork() override {
        IDllLibraryManager* dll = ShellGetDllManager();
        m_networkLoaded = !m_networkLoaded && dll && dll->dllLoadLibrary(m_networkLayer.c_str());
        Answer("MMG", "mmgStartNetwork", m_networkLayer, m_networkLoaded ? 1 : 0);
    }
    void FreeNetwork() {
        IDllLibraryManager* dll = ShellGetDllManager();
        if (m_networkLoaded && dll) dll->dllFreeLibrary(m_networkLayer.c_str());
        m_networkLoaded = false;
    }
    std::string m_networkLayer;
    bool m_networkLoaded = false;
    void mmgSetPilotDataDirectory(const char* d) override { Call("MMG", "mmgSetPilotDataDirectory", Text(d)); }
    void mmgSetPilotListFile(const char* path) override { Call("MMG", "mmgSetPilotListFile", Text(path)); }
};

class MissionSystem final : public IMissionSystem {
    void msnGetNextScreen(char* buffer, int capacity) override {
        std::string next = Setting("MSN", "NextScreen");
        Call("MSN", "msnGetNextScreen", Number(capacity));
        if (!next.empty() && buffer && capacity > 0) snprintf(buffer, static_cast<size_t>(capacity), "%s", next.c_str());
    }
    void msnGetMissionRecord(MissionRecord**) override { Call("MSN", "msnGetMissionRecord", ""); }
    void msnGetFlightSlots(FlightSlotArray**) override { Call("MSN", "msnGetFlightSlots", ""); }
};

// ---- Menu set --------------------------------------------------------------
class Display final : public IDisplayManager {
    void dspSetActive(int active) override { Call("~DSP", "dspSetActive", Number(active)); }
};

void JournalWindow() {
    HWND window = static_cast<HWND>(ShellGetWindowHandle());
    RECT outer = {}, client = {};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    char line[160];
    snprintf(line, sizeof line, "MNU window outer=(%ld,%ld)-(%ld,%ld) client=%ldx%ld windowed=%d", outer.left,
             outer.top, outer.right, outer.bottom, client.right, client.bottom, appIsWindowed());
    Journal(line);
}

// Waits, pumping the window, until the file exists in the working directory (at most 90 s).
int WaitForFile(const std::string& name) {
    for (int i = 0; i < 900; ++i) {
        if (GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES) return 1;
        appPumpMessages();
        Sleep(100);
    }
    return 0;
}

// A module's bug as the crash report meets it: a write to an address nobody
// owns, made here in the probe's own code.
__attribute__((noinline)) void WriteThroughABadPointer() {
    Journal("MNU writes through a bad pointer");
    volatile uintptr_t address = 16;
    *reinterpret_cast<volatile int*>(address) = 1;
}

DWORD WINAPI FaultingThread(void*) {
    WriteThroughABadPointer();
    return 0;
}

// Milliseconds from the creation of this process until now.
long long SinceProcessStart() {
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    auto ticks = [](const FILETIME& t) { return (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return (ticks(now) - ticks(created)) / 10000;
}

class Menu final : public IMenuSystem {
    int mnuRun(const char* menuDirectory, const char* initFile, const char* nextScreen) override {
        int call = NextCallIndex("MNU", "mnuRun");
        std::string arguments = Join(Text(menuDirectory), Text(initFile), Text(nextScreen));
        WithHolder([](IProbeHolder* holder) { holder->ReleaseHeld(); });
        if (call == 0 && Setting("MNU", "Timing") == "1")
            Journal("MNU first run after " + Number(SinceProcessStart()) + " ms");
        if (call == 0 && Setting("MNU", "Window") == "1") JournalWindow();
        if (ScriptedResult("MNU", "CloseOnRun", 0, 0) == call + 1) {
            PostMessageA(static_cast<HWND>(ShellGetWindowHandle()), WM_CLOSE, 0, 0);
            Journal("MNU posted WM_CLOSE; appPumpMessages = " + Number(appPumpMessages()));
        }
        if (ScriptedResult("MNU", "FaultOnRun", 0, 0) == call + 1) {
            if (Setting("MNU", "HoldHeap") == "1") HeapLock(GetProcessHeap());
            if (Setting("MNU", "FaultInThread") == "1")
                WaitForSingleObject(CreateThread(nullptr, 0, FaultingThread, nullptr, 0, nullptr), INFINITE);
            else
                WriteThroughABadPointer();
        }
        if (ScriptedResult("MNU", "AbortOnRun", 0, 0) == call + 1) {
            Journal("MNU calls abort");
            abort();
        }
        const std::string waitFor = Setting("MNU", "WaitFor");
        if (!waitFor.empty()) Journal("MNU waited for " + waitFor + " = " + Number(WaitForFile(waitFor)));
        return Answer("MNU", "mnuRun", arguments, ScriptedResult("MNU", "Run", call, 1));
    }
    int mnuSetVersion(const char* version) override {
        return Answer("MNU", "mnuSetVersion", Text(version), Scripted("MNU", "mnuSetVersion", "Version", 0));
    }
};

// ---- Flight set ------------------------------------------------------------
class Graphics final : public QuietGraphicsEngine {
    void gfxSetActive(int active) override { Call("~GFX", "gfxSetActive", Number(active)); }
    int gfxLoadImage(const char* name, int, int, int) override { return Answer("GFX", "gfxLoadImage", Text(name), 0); }
};

class Speech final : public ISpeechSystem {
    void spcSetDirectory(const char* directory) override { Call("SPC", "spcSetDirectory", Text(directory)); }
};

class Flight final : public IFlightEngine {
    int fltRun(const char* flightDirectory, const char* initFile) override {
        int call = NextCallIndex("FLT", "fltRun");
        std::string hold = Setting("FLT", "Hold");
        if (!hold.empty()) WithHolder([&](IProbeHolder* holder) { holder->Hold(hold.c_str()); });
        return Answer("FLT", "fltRun", Join(Text(flightDirectory), Text(initFile)), ScriptedResult("FLT", "Run", call, 0));
    }
    void fltSetScreenShotDirectory(const char* directory) override {
        Call("FLT", "fltSetScreenShotDirectory", Text(directory));
    }
    int fltSetVersion(const char* version) override {
        return Answer("FLT", "fltSetVersion", Text(version), Scripted("FLT", "fltSetVersion", "Version", 0));
    }
};

Input g_input;
Sound g_sound;
Controls g_controls;
Objects g_objects;
Holder g_holder;
Terrain g_terrain;
Missions g_missions;
MissionSystem g_missionSystem;
Display g_display;
Menu g_menu;
Graphics g_graphics;
Speech g_speech;
Flight g_flight;

struct Published {
    const char* id;
    void* object;
};
const Published kObjects[] = {
    {"INP", static_cast<IInputManager*>(&g_input)},      {"SND", static_cast<ISoundManager*>(&g_sound)},
    {"CTL", static_cast<IControlMap*>(&g_controls)},     {"OBJ", static_cast<IObjectManager*>(&g_objects)},
    {"HLD", static_cast<IProbeHolder*>(&g_holder)},      {"TER", static_cast<ITerrainEngine*>(&g_terrain)},
    {"MMG", static_cast<IMissionManager*>(&g_missions)}, {"MSN", static_cast<IMissionSystem*>(&g_missionSystem)},
    {"DSP", static_cast<IDisplayManager*>(&g_display)},  {"MNU", static_cast<IMenuSystem*>(&g_menu)},
    {"GFX", static_cast<IGraphicsEngine*>(&g_graphics)}, {"SPC", static_cast<ISpeechSystem*>(&g_speech)},
    {"FLT", static_cast<IFlightEngine*>(&g_flight)},
    {"TXT", ProbeTextManager()},                         {"NET", ProbeNetworkLayer()},
};

// Which ids each module file publishes, unless Probe.ini's [Roles] says otherwise.
struct Role {
    const char* fileName;
    const char* ids;
};
const Role kRoles[] = {
    {"DirectInput.dll", "INP"},     {"DirectSound.dll", "SND"},        {"ControlMap.dll", "CTL"},
    {"ObjectManager.dll", "OBJ,HLD"}, {"TerrainEngine.dll", "TER"},    {"MissionManager.dll", "MMG,MSN"},
    {"DirectDraw.dll", "DSP"},      {"MenuSystem.dll", "MNU"},         {"GraphicsEngine.dll", "GFX"},
    {"SpeechSystem.dll", "SPC"},    {"FlightEngine.dll", "FLT"},
};

std::string RoleOf(const std::string& fileName) {
    std::string configured = Setting("Roles", fileName.c_str());
    if (!configured.empty()) return configured;
    for (const Role& role : kRoles) {
        if (_stricmp(role.fileName, fileName.c_str()) == 0) return role.ids;
    }
    return "";
}

std::string OwnFileName() {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&OwnFileName), &self);
    char path[MAX_PATH] = "";
    GetModuleFileNameA(self, path, MAX_PATH);
    const char* name = strrchr(path, '\\');
    return name ? name + 1 : path;
}

}  // namespace
}  // namespace probe

using namespace probe;

extern "C" VARN_EXPORT int32_t VARN_CDECL InitDLL(uintptr_t module, IInterfaceManager* registry) {
    g_registry = registry;
    g_fileName = OwnFileName();
    if (ListHas(Setting("Probe", "ThrowInInit"), g_fileName.c_str())) {
        Journal(g_fileName + " InitDLL throws");
        throw 7;  // nothing in this module catches it
    }
    // The owner name is the file's stem (cut to 7 characters by the shell).
    ShellAttach(g_fileName.substr(0, g_fileName.find('.')).c_str(), registry);
    std::string role = RoleOf(g_fileName);
    std::string skip = Setting("Probe", "Skip");
    g_published.clear();
    for (const Published& object : kObjects) {
        if (!ListHas(role, object.id) || ListHas(skip, object.id)) continue;
        registry->RegisterInterface(object.id, object.object, module);
        g_published += (g_published.empty() ? "" : ",") + std::string(object.id);
    }
    Journal(g_fileName + " InitDLL" + (g_published.empty() ? "" : " " + g_published));
    return 1;
}

extern "C" VARN_EXPORT int32_t VARN_CDECL ExitDLL() {
    Journal(g_fileName + " ExitDLL");
    g_holder.ReleaseHeld();
    for (const Published& object : kObjects) {
        if (ListHas(g_published, object.id)) g_registry->UnregisterInterface(object.id);
    }
    ShellDetach(ShellGetOwnerName());
    return 1;
}
