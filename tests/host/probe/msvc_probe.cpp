// The MSVC-ABI probe: a module built by clang in MSVC mode from include/varn
// alone, with no C or C++ library, that takes the flight engine's place
// ("FLT") in the probe module set. Its fltRun calls the host services with
// every kind of argument the headers use (ints, pointers, floats, callbacks),
// loads varnComm through "DLL" and drives its "COM", and has the gcc-built
// probe call the interface it publishes ("ABI"). Each step is one line of
// ProbeJournal.txt, the journal the gcc-built probes write.
#include "tests/host/probe/probe_abi.h"
#include "varn/varn.h"

// ---- What the missing runtime would give ----------------------------------------
extern "C" {
int _fltused = 0;  // the compiler's mark of floating-point use
int _purecall() { return 0; }
void* memset(void* to, int value, size_t count) {
    for (size_t i = 0; i < count; ++i) static_cast<unsigned char*>(to)[i] = static_cast<unsigned char>(value);
    return to;
}
void* memcpy(void* to, const void* from, size_t count) {
    for (size_t i = 0; i < count; ++i) static_cast<unsigned char*>(to)[i] = static_cast<const unsigned char*>(from)[i];
    return to;
}
int __stdcall _DllMainCRTStartup(void*, uint32_t, void*) { return 1; }

// The few system calls the probe makes (kernel32, user32).
__declspec(dllimport) void* __stdcall CreateFileA(const char*, uint32_t, uint32_t, void*, uint32_t, uint32_t, void*);
__declspec(dllimport) int __stdcall WriteFile(void*, const void*, uint32_t, uint32_t*, void*);
__declspec(dllimport) int __stdcall CloseHandle(void*);
__declspec(dllimport) int __stdcall PostMessageA(void*, uint32_t, uintptr_t, intptr_t);
__declspec(dllimport) void* __stdcall GetModuleHandleA(const char*);
__declspec(dllimport) void* __stdcall GetProcAddress(void*, const char*);
}

namespace {

// ---- The journal: one line appended per call, as the gcc-built probes do ------------
class Line {
public:
    Line& operator<<(const char* text) {
        for (; text && *text && m_length < sizeof m_text - 2; ++text) m_text[m_length++] = *text;
        return *this;
    }
    Line& operator<<(int32_t value) {
        char digits[12];
        int count = 0;
        uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
        do {
            digits[count++] = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude);
        if (value < 0) *this << "-";
        while (count) {
            char digit[2] = {digits[--count], 0};
            *this << digit;
        }
        return *this;
    }
    ~Line() {
        m_text[m_length++] = '\n';
        const uint32_t kAppendData = 4, kShareReadWrite = 3, kOpenAlways = 4, kNormal = 0x80;
        void* file = CreateFileA("ProbeJournal.txt", kAppendData, kShareReadWrite, nullptr, kOpenAlways, kNormal, nullptr);
        if (file == reinterpret_cast<void*>(-1)) return;
        uint32_t written = 0;
        WriteFile(file, m_text, m_length, &written, nullptr);
        CloseHandle(file);
    }

private:
    char m_text[600];
    uint32_t m_length = 0;
};

IInterfaceManager* g_registry = nullptr;
struct Services {
    IFileManager* fmg;
    IClock* clk;
    IRandomTable* rnd;
    IOptionsFile* opt;
    IApplication* app;
    IDllLibraryManager* dll;
} g_services;
const char* const kServiceIds[] = {VARN_ID_FMG, VARN_ID_CLK, VARN_ID_RND, VARN_ID_OPT, VARN_ID_APP, VARN_ID_DLL};
void** ServiceSlot(int index) { return reinterpret_cast<void**>(&g_services) + index; }
const int kServiceCount = sizeof kServiceIds / sizeof kServiceIds[0];

const uint32_t kProbeMessage = 0x8007;  // WM_APP + 7
void VARN_CDECL OnMessage(uintptr_t wParam, uintptr_t lParam) {
    Line() << "MSVC APP message(" << static_cast<int32_t>(wParam) << ", " << static_cast<int32_t>(lParam) << ")";
}

const char* Agreement(bool agrees) { return agrees ? "agrees" : "DIFFERS"; }

void CallHostServices() {
    Services& s = g_services;
    Line() << "MSVC FMG fmgGetFileSize(Probe.ini) = " << s.fmg->fmgGetFileSize("Probe.ini")
           << ", fmgFileExists = " << s.fmg->fmgFileExists("Probe.ini", 1);

    s.clk->clkUpdate();
    int32_t ms = s.clk->clkGetTimeMs();
    float seconds = s.clk->clkGetTime();
    float difference = seconds * 1000.0f - static_cast<float>(ms);
    Line() << "MSVC CLK clkGetTime " << Agreement(difference > -1.0f && difference < 1.0f) << " with clkGetTimeMs";

    s.rnd->rndSetSeed(77);
    float scaled = s.rnd->rndScale(1000.0f);
    s.rnd->rndSetSeed(77);
    int32_t ranged = s.rnd->rndRange(1000);
    Line() << "MSVC RND rndGetSeed() = " << static_cast<int32_t>(s.rnd->rndGetSeed()) << ", rndScale "
           << Agreement(static_cast<float>(ranged) <= scaled && scaled < static_cast<float>(ranged + 1))
           << " with rndRange";

    IniFile* document = nullptr;
    int got = s.opt->optGetIniFile(&document);
    bool borrowed = document != nullptr;
    int left = s.opt->optReleaseIniFile(&document);
    Line() << "MSVC OPT optGetIniFile = " << got << (borrowed ? " (a document)" : " (none)")
           << ", optReleaseIniFile = " << left << (document ? " (kept)" : " (cleared)");

    s.app->appAddMessageCallback(kProbeMessage, OnMessage);
    PostMessageA(s.app->appGetWindowHandle(), kProbeMessage, 11, 22);
    s.app->appPumpMessages();
    s.app->appRemoveMessageCallback(kProbeMessage, OnMessage);
}

// varnComm, loaded for the run as a flight engine does.
void DriveCommMenu() {
    int loaded = g_services.dll->dllLoadLibrary("varnComm");
    void* held = nullptr;
    int got = g_registry->GetInterface(VARN_ID_COM, &held);
    Line() << "MSVC DLL dllLoadLibrary(varnComm) = " << loaded << ", COM = " << got;
    if (ICommInterface* com = static_cast<ICommInterface*>(held)) {
        com->comInit("CommMenu.ini");
        com->comToggle();
        com->comCommand(3);
        com->comUpdate(0.5f);
        com->comDraw();
        com->comDeinit();
        g_registry->ReleaseInterface(VARN_ID_COM, &held);
    }
    Line() << "MSVC DLL dllFreeLibrary(varnComm) = " << g_services.dll->dllFreeLibrary("varnComm");
}

class FlightEngine final : public IFlightEngine {
public:
    int fltRun(const char* flightDirectory, const char* initFile) override {
        Line() << "MSVC fltRun(" << flightDirectory << ", " << initFile << ")";
        CallHostServices();
        DriveCommMenu();
        void* holder = nullptr;
        if (g_registry->GetInterface(PROBE_ID_HOLDER, &holder)) {
            static_cast<IProbeHolder*>(holder)->CallAbiProbe(PROBE_ID_ABI);
            g_registry->ReleaseInterface(PROBE_ID_HOLDER, &holder);
        }
        Line() << "MSVC fltRun = 0";
        return 0;
    }
    void fltSetScreenShotDirectory(const char* directory) override {
        Line() << "MSVC fltSetScreenShotDirectory(" << directory << ")";
    }
    int fltSetVersion(const char* version) override {
        Line() << "MSVC fltSetVersion(" << version << ") = 0";
        return 0;
    }
} g_flight;

class AbiProbe final : public IAbiProbe {
public:
    int32_t abiMix(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e) override { return a - b + c * d - e; }
    float abiScale(float x, int32_t factor) override { return x * static_cast<float>(factor); }
    int32_t abiCopy(const char* text, char* out, int32_t size) override {
        int32_t length = 0;
        for (; size > 0 && length < size - 1 && text[length]; ++length) out[length] = text[length];
        if (size > 0) out[length] = 0;
        return length;
    }
    int32_t abiCall(AbiProbeCallback callback, int32_t value, void* context) override {
        return callback(value + 1, context);
    }
} g_abi;

}  // namespace

extern "C" VARN_EXPORT int32_t VARN_CDECL InitDLL(uintptr_t module, IInterfaceManager* registry) {
    g_registry = registry;
    for (int i = 0; i < kServiceCount; ++i) registry->GetInterface(kServiceIds[i], ServiceSlot(i));
    registry->RegisterInterface(VARN_ID_FLT, static_cast<IFlightEngine*>(&g_flight), module);
    registry->RegisterInterface(PROBE_ID_ABI, static_cast<IAbiProbe*>(&g_abi), module);
    Line() << "FlightEngine.dll InitDLL FLT,ABI (MSVC)";
    // The host program's SDK values, found by name in the program itself.
    if (auto value = reinterpret_cast<SdkValueFunction>(GetProcAddress(GetModuleHandleA(nullptr), VARN_SDK_VALUE_NAME)))
        Line() << "MSVC SDK Version = " << value("Version") << " (this module's " << VARN_SDK_VERSION
               << "), TextAttributes = " << value("TextAttributes") << " (" << static_cast<int32_t>(sizeof(TextAttributes))
               << ")";
    else
        Line() << "MSVC SDK: the host exports no " << VARN_SDK_VALUE_NAME;
    return 1;
}

extern "C" VARN_EXPORT int32_t VARN_CDECL ExitDLL() {
    g_registry->UnregisterInterface(PROBE_ID_ABI);
    g_registry->UnregisterInterface(VARN_ID_FLT);
    for (int i = kServiceCount - 1; i >= 0; --i) g_registry->ReleaseInterface(kServiceIds[i], ServiceSlot(i));
    Line() << "FlightEngine.dll ExitDLL (MSVC)";
    return 1;
}
