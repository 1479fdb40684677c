// The base of the module SDK: calling conventions, the module entry points,
// the delayed-release callback type and the ids of every interface.
//
// Binary rules every module follows:
// - An interface object is an abstract class with pure virtual member
//   functions only (no data, no virtual destructor): its first field is its
//   function table, and the slot order is the declaration order. Interface
//   operations use the compiler's ordinary member-function convention
//   (thiscall on 32-bit Windows, as both mingw-w64 gcc and MSVC build it).
// - Every plain function pointer that crosses a module boundary is VARN_CDECL.
// - Results are 32-bit ints; owners and module handles are uintptr_t.
// - No exception, standard-library object or C runtime object crosses a
//   module boundary; memory that crosses comes from the shared "MEM" heap.
//
// A module may be built by mingw-w64 gcc or by Microsoft's compiler (or clang
// in MSVC mode). The two C++ ABIs agree only on part of the language, so these
// headers keep to that part:
// - no struct or class returned by value (the two return it differently);
// - no overloaded virtual names (MSVC orders overloads in reverse in the table);
// - no virtual destructor (one slot in MSVC, two in gcc);
// - no enum, bool or long double across a boundary (sizes and signedness
//   differ; an enum holding 0x80000000 is signed in MSVC); integers have
//   explicit widths and results are 32 bits (or pointers, float or void);
// - records are plain fields, no bit fields, no conditional layout;
// - a callee on 32-bit Windows assumes only 4-byte stack alignment, which is
//   all the system's callers guarantee.
// The headers include only <stdint.h> and <stddef.h>, which a freestanding
// compiler has, so a module needs no C++ library to include them. The test of
// the SDK compiles every record and table both ways and compares them.
#pragma once

#include <stdint.h>

// The C calling convention of plain functions and callbacks. Only 32-bit
// Windows has more than one convention; elsewhere the macro is empty.
#if defined(_WIN32) && !defined(_WIN64)
#define VARN_CDECL __cdecl
#else
#define VARN_CDECL
#endif

// Marks InitDLL and ExitDLL for export under their plain names.
#if defined(_WIN32)
#define VARN_EXPORT __declspec(dllexport)
#else
#define VARN_EXPORT __attribute__((visibility("default")))
#endif

class IInterfaceManager;

// Called by the registry with the owner of a delayed interface when its last
// holder lets go (the DLL library manager's delayed free).
typedef void(VARN_CDECL* DelayedReleaseCallback)(uintptr_t owner);

// Module entry points, looked up by name after loading and before unloading.
// InitDLL receives the module's own handle (its owner value in the registry)
// and the registry; both results are ignored by the loader.
extern "C" {
typedef int32_t(VARN_CDECL* InitDllFunction)(uintptr_t module, IInterfaceManager* registry);
typedef int32_t(VARN_CDECL* ExitDllFunction)();
VARN_EXPORT int32_t VARN_CDECL InitDLL(uintptr_t module, IInterfaceManager* registry);
VARN_EXPORT int32_t VARN_CDECL ExitDLL();
}

// The version of this SDK. The host program exports VarnSdkValue by name (a
// module finds it in the program's own module, not in the registry): given
// "Version" it returns the host's VARN_SDK_VERSION, given the name of a record
// the host and modules share ("IniFile", the options document "OPT" lends, and
// the records of these headers) its size in the host, and -1 for a name it does
// not know. A module's service access layer compares them when it attaches.
#define VARN_SDK_VERSION 1
#define VARN_SDK_VALUE_NAME "VarnSdkValue"
typedef int32_t(VARN_CDECL* SdkValueFunction)(const char* name);

#define VARN_INIT_DLL_NAME "InitDLL"
#define VARN_EXIT_DLL_NAME "ExitDLL"

// Interface ids: three upper-case letters, compared case-sensitively.
// Host services:
#define VARN_ID_DBG "DBG"  // debug system (dbg.h)
#define VARN_ID_MEM "MEM"  // shared memory heap (mem.h)
#define VARN_ID_DLL "DLL"  // module loader (dll.h)
#define VARN_ID_FMG "FMG"  // file manager (fmg.h)
#define VARN_ID_RND "RND"  // random table (rnd.h)
#define VARN_ID_CLK "CLK"  // frame clock (clk.h)
#define VARN_ID_OPT "OPT"  // options file (opt.h)
#define VARN_ID_APP "APP"  // application and main window (app.h)
// Game modules and the communication menu:
#define VARN_ID_INP "INP"
#define VARN_ID_SND "SND"
#define VARN_ID_TXT "TXT"
#define VARN_ID_CTL "CTL"
#define VARN_ID_OBJ "OBJ"
#define VARN_ID_TER "TER"
#define VARN_ID_MMG "MMG"
#define VARN_ID_NET "NET"
#define VARN_ID_DSP "DSP"
#define VARN_ID_MNU "MNU"
#define VARN_ID_GFX "GFX"
#define VARN_ID_SPC "SPC"
#define VARN_ID_FLT "FLT"
#define VARN_ID_MSN "MSN"
#define VARN_ID_COM "COM"
