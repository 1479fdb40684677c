// The baseline of the DirectX diagnostic query: asks the diagnostic provider
// for the system's DirectX version and exits with the major version.
#include <initguid.h>

#include <dxdiag.h>
#include <windows.h>

namespace {

long ReadNumber(IDxDiagContainer* container, const wchar_t* name) {
    VARIANT value;
    VariantInit(&value);
    long number = -1;
    if (SUCCEEDED(container->GetProp(name, &value)) && value.vt == VT_UI4) number = static_cast<long>(value.ulVal);
    VariantClear(&value);
    return number;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    long major = -1;
    if (FAILED(CoInitialize(nullptr))) return 255;
    IDxDiagProvider* provider = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_DxDiagProvider, nullptr, CLSCTX_INPROC_SERVER, IID_IDxDiagProvider,
                                   reinterpret_cast<void**>(&provider)))) {
        DXDIAG_INIT_PARAMS parameters = {};
        parameters.dwSize = sizeof parameters;
        parameters.dwDxDiagHeaderVersion = DXDIAG_DX9_SDK_VERSION;
        IDxDiagContainer* root = nullptr;
        IDxDiagContainer* system = nullptr;
        if (SUCCEEDED(provider->Initialize(&parameters)) && SUCCEEDED(provider->GetRootContainer(&root)) &&
            SUCCEEDED(root->GetChildContainer(L"DxDiag_SystemInfo", &system))) {
            major = ReadNumber(system, L"dwDirectXVersionMajor");
            system->Release();
        }
        if (root) root->Release();
        provider->Release();
    }
    CoUninitialize();
    return static_cast<int>(major);
}
