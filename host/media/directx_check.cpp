#include "host/media/directx_check.h"

#include "files/paths.h"
#include "host/message_box.h"
#include "shell_base/log.h"
#include "shell_base/shell_memory.h"

#include <cstdio>
#include <cstring>

// dxdiag.h declares the provider's class and interface ids; this unit defines them.
#include <windows.h>
#include <initguid.h>
#include <dxdiag.h>
#include <oleauto.h>

static_assert(sizeof(void*) != 4 || sizeof(DXDIAG_INIT_PARAMS) == 16,
              "the diagnostic provider's init record is 16 bytes on 32-bit Windows");

namespace {

const char kRefusalText[] = "You must have DirectX 9.0 or higher to run this application.";
const char kRefusalCaption[] = "Error!";

// Reads an unsigned 32-bit property; false when it is missing or of another type.
bool ReadUnsigned(IDxDiagContainer* container, const wchar_t* name, uint32_t* value) {
    VARIANT variant;
    VariantInit(&variant);
    bool read = SUCCEEDED(container->GetProp(name, &variant)) && variant.vt == VT_UI4;
    if (read) *value = variant.ulVal;
    VariantClear(&variant);
    return read;
}

// Reads the first character of a non-empty text property, converted to the
// ANSI code page into 10 bytes.
bool ReadLetter(IDxDiagContainer* container, const wchar_t* name, char* letter) {
    VARIANT variant;
    VariantInit(&variant);
    bool read = false;
    if (SUCCEEDED(container->GetProp(name, &variant)) && variant.vt == VT_BSTR && variant.bstrVal) {
        char converted[10] = "";
        int length = WideCharToMultiByte(CP_ACP, 0, variant.bstrVal, -1, converted, sizeof converted,
                                         nullptr, nullptr);
        if (length > 0 && converted[0] != '\0') {
            *letter = converted[0];
            read = true;
        }
    }
    VariantClear(&variant);
    return read;
}

constexpr uint64_t Version(uint64_t a, uint64_t b, uint64_t c, uint64_t d) {
    return a << 48 | b << 32 | c << 16 | d;
}

// A file version that makes a DirectX version. Rows whose minimum depends on
// the file's first version part (4 or 5) carry both minima; a file with
// another first part does not match such a row. A minimum of 0 means any
// version.
struct VersionRow {
    const char* file;
    uint64_t minimum;    // the only minimum, or the one for first part 4
    uint64_t minimumV5;  // 0: the row has one minimum
    uint32_t major;
    uint32_t minor;
    char letter;
};

// In order: a later matching row replaces the result of an earlier one.
const VersionRow kVersionRows[] = {
    {"ddraw.dll", Version(4, 2, 0, 95), 0, 1, 0, ' '},
    {"ddraw.dll", Version(4, 3, 0, 1096), 0, 2, 0, ' '},
    {"ddraw.dll", Version(4, 4, 0, 68), 0, 3, 0, ' '},
    {"d3drg8x.dll", Version(4, 4, 0, 70), 0, 3, 0, 'a'},
    {"ddraw.dll", Version(4, 5, 0, 155), 0, 5, 0, ' '},
    {"ddraw.dll", Version(4, 6, 0, 318), 0, 6, 0, ' '},
    {"ddraw.dll", Version(4, 6, 0, 436), 0, 6, 1, ' '},
    {"dplayx.dll", Version(4, 6, 3, 518), 0, 6, 1, 'a'},
    {"ddraw.dll", Version(4, 7, 0, 700), 0, 7, 0, ' '},
    {"dinput.dll", Version(4, 7, 0, 716), 0, 7, 0, 'a'},
    {"ddraw.dll", Version(4, 8, 0, 400), Version(5, 1, 2258, 400), 8, 0, ' '},
    {"d3d8.dll", Version(4, 8, 1, 881), Version(5, 1, 2600, 881), 8, 1, ' '},
    {"d3d8.dll", Version(4, 8, 1, 901), Version(5, 1, 2600, 901), 8, 1, 'a'},
    {"mpg2splt.ax", Version(6, 3, 1, 885), 0, 8, 1, 'b'},
    {"dpnet.dll", Version(4, 9, 0, 134), Version(5, 2, 3677, 134), 8, 2, ' '},
    {"d3d9.dll", 0, 0, 9, 0, ' '},
};

bool RowMatches(const VersionRow& row, uint64_t version) {
    if (row.minimumV5 == 0) return version >= row.minimum;
    switch (version >> 48) {
        case 4: return version >= row.minimum;
        case 5: return version >= row.minimumV5;
        default: return false;
    }
}

}  // namespace

long GetFileVersion(const char* path, uint64_t* version) {
    if (!path || !version) return E_INVALIDARG;
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0) return E_FAIL;
    void* buffer = ShellAlloc(size);
    if (!buffer) return E_OUTOFMEMORY;
    long result = E_FAIL;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (GetFileVersionInfoA(path, 0, size, buffer) &&
        VerQueryValueA(buffer, "\\", reinterpret_cast<void**>(&info), &length) && info &&
        length >= sizeof *info) {
        *version = static_cast<uint64_t>(info->dwFileVersionMS) << 32 | info->dwFileVersionLS;
        result = S_OK;
    }
    ShellFree(buffer);
    return result;
}

long DirectXVersionViaDiagnostics(uint32_t* major, uint32_t* minor, char* letter) {
    bool comStarted = SUCCEEDED(CoInitialize(nullptr));
    IDxDiagProvider* provider = nullptr;
    IDxDiagContainer* root = nullptr;
    IDxDiagContainer* systemInfo = nullptr;
    uint32_t readMajor = 0;
    uint32_t readMinor = 0;
    char readLetter = ' ';
    bool read = false;

    HRESULT hr = CoCreateInstance(CLSID_DxDiagProvider, nullptr, CLSCTX_INPROC_SERVER, IID_IDxDiagProvider,
                                  reinterpret_cast<void**>(&provider));
    if (SUCCEEDED(hr)) {
        DXDIAG_INIT_PARAMS params;
        memset(&params, 0, sizeof params);
        params.dwSize = sizeof params;
        params.dwDxDiagHeaderVersion = DXDIAG_DX9_SDK_VERSION;
        params.bAllowWHQLChecks = FALSE;
        params.pReserved = nullptr;
        hr = provider->Initialize(&params);
    }
    if (SUCCEEDED(hr)) hr = provider->GetRootContainer(&root);
    if (SUCCEEDED(hr)) hr = root->GetChildContainer(L"DxDiag_SystemInfo", &systemInfo);
    if (SUCCEEDED(hr)) {
        // All three are read (and each variant cleared) even when one fails.
        bool gotMajor = ReadUnsigned(systemInfo, L"dwDirectXVersionMajor", &readMajor);
        bool gotMinor = ReadUnsigned(systemInfo, L"dwDirectXVersionMinor", &readMinor);
        bool gotLetter = ReadLetter(systemInfo, L"szDirectXVersionLetter", &readLetter);
        read = gotMajor && gotMinor && gotLetter;
    }

    if (systemInfo) systemInfo->Release();
    if (root) root->Release();
    if (provider) provider->Release();
    if (comStarted) CoUninitialize();

    if (!read) return E_FAIL;
    *major = readMajor;
    *minor = readMinor;
    *letter = readLetter;
    return S_OK;
}

long DirectXVersionViaFiles(const char* directory, uint32_t* major, uint32_t* minor, char* letter) {
    *major = 0;
    *minor = 0;
    *letter = ' ';
    if (!directory || directory[0] == '\0') return S_OK;
    size_t directoryLength = strlen(directory);
    for (const VersionRow& row : kVersionRows) {
        // A path that would not fit is not cut: it could name another file.
        if (directoryLength + 1 + strlen(row.file) >= static_cast<size_t>(kPathSize)) continue;
        char path[kPathSize];
        CombinePath(directory, row.file, path, sizeof path);
        uint64_t version = 0;
        if (FAILED(GetFileVersion(path, &version)) || !RowMatches(row, version)) continue;
        *major = row.major;
        *minor = row.minor;
        *letter = row.letter;
    }
    return S_OK;
}

uint32_t FormatDirectXVersion(uint32_t major, uint32_t minor, char letter, char* text, int textSize) {
    if (major > 255) major = 255;
    if (minor > 255) minor = 255;
    char lower = (letter >= 'A' && letter <= 'Z') ? static_cast<char>(letter - 'A' + 'a') : letter;
    uint32_t code = major << 16 | minor << 8;
    if (lower >= 'a' && lower <= 'z') code += static_cast<uint32_t>(lower - 'a' + 1);
    if (text && textSize > 0) {
        if (lower == ' ' || lower == '\0')
            snprintf(text, static_cast<size_t>(textSize), "%u.%u", major, minor);
        else
            snprintf(text, static_cast<size_t>(textSize), "%u.%u%c", major, minor, lower);
    }
    return code;
}

long GetDirectXVersionWith(DirectXVersionMethod diagnostics, const char* directory, uint32_t* code,
                           char* text, int textSize) {
    if (code) *code = 0;
    if (text && textSize > 0) text[0] = '\0';
    if (!code) return E_INVALIDARG;
    uint32_t major = 0;
    uint32_t minor = 0;
    char letter = ' ';
    if ((!diagnostics || FAILED(diagnostics(&major, &minor, &letter))) &&
        FAILED(DirectXVersionViaFiles(directory, &major, &minor, &letter)))
        return E_FAIL;
    *code = FormatDirectXVersion(major, minor, letter, text, textSize);
    return S_OK;
}

int DirectXCheckWith(DirectXVersionMethod diagnostics, const char* directory) {
    uint32_t code = 0;
    char text[10] = "";
    if (FAILED(GetDirectXVersionWith(diagnostics, directory, &code, text, sizeof text))) {
        LogError("unable to detect version of DirectX installed...");
    } else {
        LogInfo("DirectX Version 0x%08lx, %s detected...", static_cast<unsigned long>(code), text);
        if (code >= kDirectXVersionRequired) return 1;
    }
    ShowMessageBox(kRefusalText, kRefusalCaption, MB_TOPMOST | MB_SETFOREGROUND | MB_ICONERROR);
    return 0;
}

int DirectXCheck() {
    char directory[kPathSize] = "";
    UINT length = GetSystemDirectoryA(directory, sizeof directory);
    if (length == 0 || length >= sizeof directory) directory[0] = '\0';
    return DirectXCheckWith(DirectXVersionViaDiagnostics, directory);
}
