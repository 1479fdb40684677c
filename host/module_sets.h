// The three module sets of the game and the catalogs that go with them: the
// base set, loaded once by the start-up sequence and kept for the whole run,
// and the menu and flight sets, loaded around each menu run and each flight.
// DLLs go through the module loader ("DLL") and catalogs through the file
// manager ("FMG"), both of which count uses, so a DLL or catalog shared by two
// sets stays until its last user lets go.
//
// A DLL of a set that cannot be loaded (no such file, not a DLL of this
// program's width) is named in the log and in one box, with its [System] key
// and the reason, unless [Debug] CrashBox is FALSE; the game then ends as
// before. The exporter's failure is logged only. The log also names each
// module loaded and freed, with its key.
#pragma once

class IMenuSystem;
class IFlightEngine;

// Loads the base set and configures it (directories, init files, the file
// manager's cache, the mission manager). 1 on success; 0 after the failure
// was logged. What was loaded stays until UnloadBaseSet.
int LoadBaseSet();
// The base-module teardown: shuts the base modules down and unloads every DLL
// of the set, whether or not it was loaded.
void UnloadBaseSet();

// On success (1) *menu holds "MNU"; the set is unloaded by UnloadMenuSet,
// which runs after a failed load too.
int LoadMenuSet(IMenuSystem** menu);
void UnloadMenuSet(IMenuSystem** menu);

// On success (1) *flight holds "FLT"; unloaded by UnloadFlightSet, always.
int LoadFlightSet(IFlightEngine** flight);
void UnloadFlightSet(IFlightEngine** flight);
