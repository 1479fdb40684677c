// The probe module set: one DLL, copied under every module name of
// startup.ini, that stands in for the game's modules in the host's end-to-end
// tests. Each copy finds its role (the ids it publishes) from its own file
// name, writes every call it receives, with its arguments, as one line to the
// journal, and answers as the game directory's Probe.ini tells it:
//
//   [Probe]   Skip=MNU,SND          ids not to publish
//             ThrowInInit=Fader.dll the InitDLL of those files throws a C++ exception
//   [Roles]   File.dll=SND,OBJ      the ids of a file, in place of the built-in table
//   [MNU]     Run=0,0,1             results of successive mnuRun calls (then 1)
//             Version=0             results of successive mnuSetVersion calls (then 0)
//             CloseOnRun=2          posts WM_CLOSE to the main window in that mnuRun
//             Window=1              journals the main window's placement in the first mnuRun
//             Timing=1              journals the time since process start in the first mnuRun
//             FaultOnRun=1          writes through a bad pointer in that mnuRun (an access violation)
//             FaultInThread=1       ... on a thread of its own, which mnuRun waits for
//             HoldHeap=1            ... holding the process heap's lock, as a fault inside the heap does
//             AbortOnRun=1          calls abort in that mnuRun
//   [FLT]     Run=0                 results of successive fltRun calls (then 0)
//             Version=0             results of successive fltSetVersion calls (then 0)
//             Hold=GFX              in fltRun, the object manager takes that id and
//                                   keeps it until the next mnuRun
//   [MSN]     NextScreen=Debrief    what msnGetNextScreen writes (absent: writes nothing)
//
//   [MMG]     (none)                mmgStartNetwork loads the DLL named to mmgSetNetworkLayer
//                                   through "DLL"; mmgExit frees it again
//   [MNU]     WaitFor=Done.txt      mnuRun waits (at most 90 s) until that file exists
//                                   in the working directory
// The text, object list and scripted network parts are in probe_network.cpp.
//
// Another id (NET, TXT, ...) joins the set with a class that journals its
// operations in probe_module.cpp, a row of kObjects and its file in kRoles;
// its script reads its own [ID] section with ScriptedResult and Setting.
//
// The journal is ProbeJournal.txt in the working directory. Lines of calls
// whose moment depends on window activation (INP, DSP, GFX set-active, NET
// deactivate) start with "~".
#pragma once

#include <string>

class INetworkLayer;
class ITextManager;
class ITypeList;

namespace probe {

// Appends one line to the journal.
void Journal(const std::string& line);
// A value of Probe.ini ("" when absent).
std::string Setting(const char* section, const char* key);
// The n-th (0-based) number of a comma-separated list in Probe.ini; past its
// end, or without a list, the fallback.
int ScriptedResult(const char* section, const char* key, int call, int fallback);
// Whether id is among the comma-separated ids of the value.
bool ListHas(const std::string& list, const char* id);

// The multiplayer launch's interfaces (probe_network.cpp).
ITextManager* ProbeTextManager();
INetworkLayer* ProbeNetworkLayer();
int ProbeTypeId(const char* typeName);  // 1 aircraft, 2 missiles, 3 bullets, 0 unknown
ITypeList* ProbeTypeList(int typeId);   // null for an unknown type

}  // namespace probe
