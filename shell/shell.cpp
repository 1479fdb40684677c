// The service access layer: attach and detach, the interfaces it holds for
// this deliverable, and the version and notice texts.
#include "shell/shell.h"

#include "files/strings.h"
#include "shell/sdk_check.h"
#include "shell_base/log.h"
#include "varn/app.h"
#include "varn/dbg.h"
#include "varn/dll.h"
#include "varn/fmg.h"
#include "varn/mem.h"
#include "varn/registry.h"
#include "varn/rnd.h"

#include <cstdio>
#include <cstring>

namespace {

const char kNoticeText[] = "Varn - combat flight simulation host. Copyright the Varn developers.";


IInterfaceManager* g_registry = nullptr;
char g_ownerName[8] = "";
const char* g_ownerNamePointer = nullptr;
// The interfaces this layer holds for the deliverable's life. Each is got and
// released under its type's own id; the host binds some of them directly
// (without a registry count), so they are plain pointers, not scope holders.
IDebugSystem* g_debug = nullptr;
IApplication* g_application = nullptr;
IDllLibraryManager* g_dll = nullptr;
IRandomTable* g_random = nullptr;
void* g_instance = nullptr;
void* g_window = nullptr;
VarnGuid g_guid = {};
char* g_versionText = nullptr;
char* g_noticeText = nullptr;

template <typename T>
void Get(T** slot) {
    void* object = *slot;
    if (g_registry) g_registry->GetInterface(T::kId, &object);
    *slot = static_cast<T*>(object);
}

template <typename T>
int32_t Release(T** slot) {
    void* object = *slot;
    int32_t result = g_registry ? g_registry->ReleaseInterface(T::kId, &object) : 0;
    *slot = static_cast<T*>(object);
    return result;
}

// The file manager is bound in shell_base/, where the file and INI libraries
// reach it; it is got and released like the interfaces above.
void GetFileManager() {
    IFileManager* files = ShellGetFileManager();
    Get(&files);
    ShellBindFileManager(files);
}

void ReleaseFileManager() {
    IFileManager* files = ShellGetFileManager();
    Release(&files);
    ShellBindFileManager(files);
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

    Get(&g_debug);
    IMemoryManager* memory = nullptr;
    Get(&memory);
    ShellBindMemory(memory);
    Get(&g_application);
    Get(&g_dll);
    GetFileManager();
    Get(&g_random);

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
    Release(&g_random);
    ReleaseFileManager();
    Release(&g_dll);
    Release(&g_application);

    IMemoryManager* memory = ShellGetMemory();
    if (memory) memory->memReleaseOwner(g_ownerNamePointer);
    if (g_registry && memory) {
        // Blocks freed from here on stay with the heap, which outlives them.
        Release(&memory);
        ShellBindMemory(memory);
    }
    return Release(&g_debug);
}

void ShellSetRegistry(IInterfaceManager* registry) { g_registry = registry; }
void ShellBindDebug(IDebugSystem* debug) { g_debug = debug; }
void ShellUnbindDebug() { g_debug = nullptr; }

void ShellAttachHost(IApplication* application) {
    Get(&g_dll);
    GetFileManager();
    Get(&g_random);
    g_application = application;
    MakeTexts();
}

void ShellDetachHost() {
    FreeTexts();
    g_application = nullptr;
    Release(&g_random);
    ReleaseFileManager();
    if (IDllLibraryManager* dll = ShellGetDllManager()) dll->dllFreeAll();
    Release(&g_dll);
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
IDebugSystem* ShellGetDebug() { return g_debug; }
IApplication* ShellGetApplication() { return g_application; }
IDllLibraryManager* ShellGetDllManager() { return g_dll; }
IRandomTable* ShellGetRandom() { return g_random; }
const char* ShellGetOwnerName() { return g_ownerNamePointer; }
void* ShellGetInstanceHandle() { return g_instance; }
void* ShellGetWindowHandle() { return g_window; }
const VarnGuid* ShellGetApplicationGuid() { return &g_guid; }
const char* ShellGetVersionText() { return g_versionText; }
const char* ShellGetNoticeText() { return g_noticeText; }

void ShellDbgReserved4(int32_t value) {
    if (IDebugSystem* debug = ShellGetDebug()) debug->dbgReserved4(value);
}
