// The probe's side of the multiplayer launch: text lookups, object type lists
// and a scripted network layer, journaled like every other probe call and
// answered as Probe.ini says:
//
//   [TXT]   TXT_MENU_CONNECTING=Connecting      the text of a key (absent: none)
//   [OBJ]   AircraftTypes=3                      records in the aircraft list
//           Usable=1,0,1                         which of them may be flown
//   [NET]   Host=1                               netHostSession result
//           Join=0,0,1                           results of successive join attempts (then 0)
//           Error=3,5                            codes of successive failed attempts (then 3)
//           Ready=0,1                            successive netIsSessionReady answers (then 1)
//           Sync=1,1,0,1                         successive netSyncFile results (then 1)
//           Replaced=1,0,0,0                     successive replaced flags (then 0)
#include "probe.h"

#include "varn/varn.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace probe {
namespace {

std::string Shown(const char* text) { return text ? text : "(null)"; }
std::string Number(long long value) { return std::to_string(value); }

void Call(const char* operation, const std::string& arguments) { Journal(std::string(operation) + "(" + arguments + ")"); }
int Answer(const char* operation, const std::string& arguments, int result) {
    Journal(std::string(operation) + "(" + arguments + ") = " + Number(result));
    return result;
}

// Successive calls of one scripted operation, counted in this copy of the probe.
int Scripted(const char* section, const char* key, int& calls, int fallback) {
    return ScriptedResult(section, key, calls++, fallback);
}

class TextManager final : public ITextManager {
public:
    void txtLoadTextFile(const char* name) override { Call("TXT txtLoadTextFile", Shown(name)); }
    void txtUnloadTextFile(const char* name) override { Call("TXT txtUnloadTextFile", Shown(name)); }
    const char* txtLookUpText(const char* name, const char* key) override {
        m_text = key ? Setting("TXT", key) : "";
        Call("TXT txtLookUpText", Shown(name) + ", " + Shown(key));
        return m_text.empty() ? nullptr : m_text.c_str();
    }

private:
    std::string m_text;
};

class TypeList final : public ITypeList {
public:
    TypeList(const char* kind, const char* dataFile) : m_kind(kind), m_dataFile(dataFile) {}
    int GetCount() override {
        const bool aircraft = m_kind == "aircraft";
        return aircraft ? ScriptedResult("OBJ", "AircraftTypes", 0, 0) : 0;
    }
    void GetRecord(int index, void** record) override {
        if (index < 0 || index >= GetCount() || index >= kMaxRecords) return;
        AircraftRecord& made = m_records[index];
        memset(&made, 0, sizeof made);
        snprintf(made.name, sizeof made.name, "Type%d", index);
        snprintf(made.text, sizeof made.text, "Aircraft type %d", index);
        made.firstRangeStart = index * 10;
        made.firstRangeEnd = index * 10 + 5;
        made.flags1 = static_cast<uint32_t>(index);
        *record = &made;
    }
    const char* GetDataFileName() override { return m_dataFile.c_str(); }
    void Reload(int index, int option) override {
        Call(("OBJ reload " + m_kind).c_str(), Number(index) + ", " + Number(option));
    }
    int IsUsable(int index) override { return ScriptedResult("OBJ", "Usable", index, 0); }

private:
    static const int kMaxRecords = 16;
    std::string m_kind;
    std::string m_dataFile;
    AircraftRecord m_records[kMaxRecords];
};

TypeList g_aircraft("aircraft", "Aircraft.dat");
TypeList g_missiles("missiles", "Missiles.dat");
TypeList g_bullets("bullets", "Bullets.dat");

class Network final : public INetworkLayer {
public:
    void netStart() override { Call("NET netStart", ""); }
    void netResetAttempt() override { Call("NET netResetAttempt", ""); }
    void netEnableQueryReporting(int mode, const char* address, QueryReportingSetup* setup) override {
        Call("NET netEnableQueryReporting", Number(mode) + ", " + Shown(address) + ", " +
                                                (setup && setup->gameName ? setup->gameName : "(null)"));
    }
    void netConfigure(int size, void*) override { Call("NET netConfigure", Number(size)); }
    void netSetPlayerName(const char* name) override { Call("NET netSetPlayerName", Shown(name)); }
    void netSetPlayerColor(uint32_t color) override {
        char hex[16];
        snprintf(hex, sizeof hex, "%08X", color);
        Call("NET netSetPlayerColor", hex);
    }
    int netHostSession(SessionDescription* d) override {
        m_inSession = ScriptedResult("NET", "Host", 0, 1);
        return Answer("NET netHostSession", Describe(d), m_inSession);
    }
    int netJoinSession(SessionDescription* d, int flags) override {
        const int joined = Scripted("NET", "Join", m_joins, 0);
        if (joined) m_inSession = 1;
        return Answer("NET netJoinSession", Describe(d) + ", " + Number(flags), joined);
    }
    int netGetSessionInfo(SessionDescription* d) override {
        if (m_inSession && d) {
            d->sessionName = "Evening";
            d->gameType = 1;
            d->maxPlayers = 8;
            d->currentPlayers = 2;
        }
        return m_inSession;
    }
    int netGetLastError() override { return Answer("NET netGetLastError", "", Scripted("NET", "Error", m_errors, 3)); }
    int netSyncFile(const char* name, int* replaced) override {
        *replaced = Scripted("NET", "Replaced", m_replaced, 0);
        return Answer("NET netSyncFile", Shown(name) + ", " + Number(*replaced), Scripted("NET", "Sync", m_syncs, 1));
    }
    void netSetSessionReady(int ready) override { Call("NET netSetSessionReady", Number(ready)); }
    int netIsSessionReady() override { return Answer("NET netIsSessionReady", "", Scripted("NET", "Ready", m_ready, 1)); }
    void netOnDeactivate() override { Call("~NET netOnDeactivate", ""); }

private:
    static std::string Describe(const SessionDescription* d) {
        if (!d) return "(null)";
        return "{" + Shown(d->sessionName) + ", " + Shown(d->hostAddress) + ", " + Shown(d->password) +
               ", " + Number(d->passwordGiven) + ", " + Number(d->gameType) + ", " + Number(d->maxPlayers) + ", " +
               Number(d->gameplayOptionsSize) + "}";
    }
    int m_inSession = 0;
    int m_joins = 0, m_errors = 0, m_replaced = 0, m_syncs = 0, m_ready = 0;
};

TextManager g_text;
Network g_network;

}  // namespace

ITextManager* ProbeTextManager() { return &g_text; }
INetworkLayer* ProbeNetworkLayer() { return &g_network; }

int ProbeTypeId(const char* typeName) {
    const char* const names[3] = {kAircraftTypeName, kMissileTypeName, kBulletTypeName};
    for (int i = 0; i < 3; ++i) {
        if (typeName && strcmp(typeName, names[i]) == 0) return i + 1;
    }
    return 0;
}

ITypeList* ProbeTypeList(int typeId) {
    switch (typeId) {
        case 1: return &g_aircraft;
        case 2: return &g_missiles;
        case 3: return &g_bullets;
        default: return nullptr;
    }
}

}  // namespace probe
