// The service access layer: each deliverable (the host program and every
// module DLL) carries its own copy. It keeps the registry and the host
// services this deliverable uses, a few cached host values, the version and
// notice texts. The allocation functions, the log and the bound file manager
// are in shell_base/, below the libraries this layer uses.
//
// A module attaches in InitDLL with its name and the registry it was given,
// and detaches in ExitDLL with the same name. The host binds piecewise: the
// debug system and memory manager directly, the registry once it exists, and
// the rest when "APP" is registered.
#pragma once

#include "shell_base/bound_file_manager.h"
#include "shell_base/shell_memory.h"
#include "varn/app.h"

#include <cstdint>

class IInterfaceManager;
class IDebugSystem;
class IMemoryManager;
class IDllLibraryManager;
class IFileManager;
class IRandomTable;

// ---- Module side ----------------------------------------------------------
// Binds everything: takes "DBG", "MEM", "APP", "DLL", "FMG" and "RND", caches
// the window values of "APP", and returns the copy of the version text. The
// name is kept as at most 7 characters.
const char* ShellAttach(const char* ownerName, IInterfaceManager* registry);
// Releases everything taken at attach; the result of the last release (1),
// or 0 with nothing released when the name differs from the attached one.
int32_t ShellDetach(const char* ownerName);

// ---- Host side ------------------------------------------------------------
void ShellSetRegistry(IInterfaceManager* registry);
void ShellBindDebug(IDebugSystem* debug);
void ShellUnbindDebug();
// (ShellBindMemory and ShellUnbindMemory are in shell_memory.h, ShellBindFileManager
// in bound_file_manager.h.)
// Right after "APP" is registered: takes "DLL", "FMG" and "RND" and binds app.
void ShellAttachHost(IApplication* application);
// First step when "APP" is withdrawn: releases what ShellAttachHost took and
// frees every module still loaded.
void ShellDetachHost();
// Window creation publishes the handles and the GUID here.
void ShellSetWindowValues(void* instance, void* window, const VarnGuid* guid);

// ---- Bound interfaces and cached values (null when not bound) --------------
IInterfaceManager* ShellGetRegistry();
IDebugSystem* ShellGetDebug();
IApplication* ShellGetApplication();
IDllLibraryManager* ShellGetDllManager();
// (ShellGetFileManager is in bound_file_manager.h.)
IRandomTable* ShellGetRandom();
const char* ShellGetOwnerName();  // null in the host
void* ShellGetInstanceHandle();
void* ShellGetWindowHandle();
const VarnGuid* ShellGetApplicationGuid();  // the cached copy
const char* ShellGetVersionText();          // "v02.19.07" once attached
const char* ShellGetNoticeText();

// Forwards to dbgReserved4 of "DBG"; nothing while "DBG" is not bound.
void ShellDbgReserved4(int32_t value);

// The version text for the version numbers, "v" and three two-digit numbers.
const int kShellVersionMajor = 2;
const int kShellVersionMinor = 19;
const int kShellVersionBuild = 7;
