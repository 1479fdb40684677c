#include "shell/shell.h"

#include "files/strings.h"
#include "shell/log.h"
#include "shell/sdk_check.h"
#include "varn/dbg.h"
#include "varn/dll.h"
#include "varn/mem.h"
#include "varn/registry.h"

#include <cstdio>
#include <cstring>

namespace {

const char kNoticeText[] = "Varn - combat flight simulation host. Copyright the Varn developers.";

// Interfaces this layer holds, in the form the registry hands them out.
enum Held { kDbg, kApp, kDll, kFmg, kRnd, kHeldCount };
const char* const kHeldIds[kHeldCount] = {"DBG", "APP", "DLL", "FMG", "RND"};

IInterfaceManager* g_registry = nullptr;
char g_ownerName[8] = "";
const char* g_ownerNamePointer = nullptr;
void* g_held[kHeldCount] = {};
void* g_instance = nullptr;
void* g_window = nullptr;
VarnGuid g_guid = {};
char* g_versionText = nullptr;
char* g_noticeText = nullptr;

void Get(int which) {
    if (g_registry) g_registry->GetInterface(kHeldIds[which], &g_held[which]);
}

int32_t Release(const char* id, void** holder) {
    return g_registry ? g_registry->ReleaseInterface(id, holder) : 0;
}

void MakeTexts() {
    char version[32];
    snprintf(version, sizeof version, "v%02d.%02d.%02d", kShellVersionMajor, kShellVersionMinor, kShellVersionBuild);
    FreeString(&g_versionText);
    FreeString(&g_noticeText);
    g_noticeText = DuplicateString(kNoticeText);
    g_versionText = DuplicateString(version);
}

void FreeTexts() {
    FreeString(&g_versionText);
    FreeString(&g_noticeText);
}

}  // namespace

const char* ShellAttach(const char* ownerName, IInterfaceManager* registry) {
    // The host publishes its opt-in log file before it loads any module.
    LogReadFileFromEnvironment();
    g_registry = registry;
    CopyString(g_ownerName, ownerName ? ownerName : "", sizeof g_ownerName);
    g_ownerNamePointer = g_ownerName;
    ShellSetOwnerTag(g_ownerNamePointer);

    Get(kDbg);
    void* memory = nullptr;
    if (g_registry) g_registry->GetInterface("MEM", &memory);
    ShellBindMemory(static_cast<IMemoryManager*>(memory));
    Get(kApp);
    Get(kDll);
    Get(kFmg);
    Get(kRnd);

    if (IApplication* application = ShellGetApplication()) {
        g_instance = application->appGetInstanceHandle();
        g_window = application->appGetWindowHandle();
        const VarnGuid* guid = application->appGetApplicationGuid();
        if (guid) memcpy(&g_guid, guid, sizeof g_guid);
    }
    MakeTexts();
    ShellCheckHostSdk(g_ownerName);
    return g_versionText;
}

int32_t ShellDetach(const char* ownerName) {
    if (!StringsEqual(ownerName ? ownerName : "", g_ownerName, true)) {
        LogError("Unable to exit application shell %s from DLL %s!", ownerName ? ownerName : "", g_ownerName);
        return 0;
    }
    FreeTexts();
    g_instance = nullptr;
    g_window = nullptr;
    Release("RND", &g_held[kRnd]);
    Release("FMG", &g_held[kFmg]);
    Release("DLL", &g_held[kDll]);
    Release("APP", &g_held[kApp]);

    void* memory = ShellGetMemory();
    if (memory) static_cast<IMemoryManager*>(memory)->memReleaseOwner(g_ownerNamePointer);
    if (g_registry && memory) {
        // Blocks freed from here on stay with the heap, which outlives them.
        Release("MEM", &memory);
        ShellBindMemory(static_cast<IMemoryManager*>(memory));
    }
    return Release("DBG", &g_held[kDbg]);
}

void ShellSetRegistry(IInterfaceManager* registry) { g_registry = registry; }
void ShellBindDebug(IDebugSystem* debug) { g_held[kDbg] = debug; }
void ShellUnbindDebug() { g_held[kDbg] = nullptr; }

void ShellAttachHost(IApplication* application) {
    Get(kDll);
    Get(kFmg);
    Get(kRnd);
    g_held[kApp] = application;
    MakeTexts();
}

void ShellDetachHost() {
    FreeTexts();
    g_held[kApp] = nullptr;
    Release("RND", &g_held[kRnd]);
    Release("FMG", &g_held[kFmg]);
    if (IDllLibraryManager* dll = ShellGetDllManager()) dll->dllFreeAll();
    Release("DLL", &g_held[kDll]);
}

void ShellSetWindowValues(void* instance, void* window, const VarnGuid* guid) {
    g_instance = instance;
    g_window = window;
    if (guid)
        memcpy(&g_guid, guid, sizeof g_guid);
    else
        memset(&g_guid, 0, sizeof g_guid);
}

IInterfaceManager* ShellGetRegistry() { return g_registry; }
IDebugSystem* ShellGetDebug() { return static_cast<IDebugSystem*>(g_held[kDbg]); }
IApplication* ShellGetApplication() { return static_cast<IApplication*>(g_held[kApp]); }
IDllLibraryManager* ShellGetDllManager() { return static_cast<IDllLibraryManager*>(g_held[kDll]); }
IFileManager* ShellGetFileManager() { return static_cast<IFileManager*>(g_held[kFmg]); }
IRandomTable* ShellGetRandom() { return static_cast<IRandomTable*>(g_held[kRnd]); }
const char* ShellGetOwnerName() { return g_ownerNamePointer; }
void* ShellGetInstanceHandle() { return g_instance; }
void* ShellGetWindowHandle() { return g_window; }
const VarnGuid* ShellGetApplicationGuid() { return &g_guid; }
const char* ShellGetVersionText() { return g_versionText; }
const char* ShellGetNoticeText() { return g_noticeText; }

void ShellDbgReserved4(int32_t value) {
    if (IDebugSystem* debug = ShellGetDebug()) debug->dbgReserved4(value);
}
