// Both sides of the aircraft exchange, through "NET", "OBJ" and "FMG".
#include "host/launch/aircraft_exchange.h"

#include "shell_base/log.h"

#include "files/paths.h"
#include "files/strings.h"
#include "platform/platform.h"
#include "shell/shell.h"
#include "shell/shell_app.h"
#include "varn/fmg.h"
#include "varn/held.h"
#include "varn/net.h"
#include "varn/obj.h"

#include <cstring>

namespace {

const uint32_t kReadyPollMs = 100;

// The services and lists the exchange works with, taken for its duration.
class ExchangeServices {
public:
    ExchangeServices() {
        if (IObjectManager* objects = Objects()) {
            const char* const names[3] = {kAircraftTypeName, kMissileTypeName, kBulletTypeName};
            for (int i = 0; i < 3; ++i) objects->objGetTypeList(objects->objGetTypeId(names[i]), &m_lists[i]);
        }
        if (IFileManager* files = Files()) {
            char cache[kPathSize] = "";
            files->fmgGetCacheDirectory(cache, sizeof cache);
            TerminateString(cache, sizeof cache);
            CombinePath(cache, kAircraftListFileName, m_listFile, sizeof m_listFile);
        }
    }

    INetworkLayer* Network() { return m_network.get(); }
    IObjectManager* Objects() { return m_objects.get(); }
    IFileManager* Files() { return ShellGetFileManager(); }
    ITypeList* List(int which) { return m_lists[which]; }  // 0 aircraft, 1 missiles, 2 bullets
    const char* ListFile() const { return m_listFile; }

private:
    InterfaceHold<INetworkLayer> m_network{ShellGetRegistry()};
    InterfaceHold<IObjectManager> m_objects{ShellGetRegistry()};
    ITypeList* m_lists[3] = {nullptr, nullptr, nullptr};
    char m_listFile[kPathSize] = "";
};

void ReloadLists(ExchangeServices& services) {
    IFileManager* files = services.Files();
    if (files) files->fmgEnableCache(0);
    bool pushed = false;
    if (IObjectManager* objects = services.Objects()) {
        const char* directory = objects->objGetDirectory();
        if (files && !IsEmptyString(directory)) {
            pushed = files->PushDirectory() != 0;
            files->fmgChangeDirectory(directory);
        }
    }
    for (int i = 0; i < 3; ++i) {
        if (services.List(i)) services.List(i)->Reload(-1, 0);
    }
    if (pushed) files->PopDirectory();
}

AircraftListFileRecord ListRecordOf(const AircraftRecord& record) {
    AircraftListFileRecord out;
    memcpy(out.name, record.name, sizeof out.name);
    memcpy(out.text, record.text, sizeof out.text);
    out.low = record.firstRangeStart;
    out.high = record.firstRangeEnd;
    if (record.secondRangeCount > 0) {
        if (record.secondRangeStart < out.low) out.low = record.secondRangeStart;
        if (record.secondRangeEnd > out.high) out.high = record.secondRangeEnd;
    }
    out.flags = static_cast<int32_t>(record.flags1 | record.flags2);
    return out;
}

// The usable aircraft type's record, or null when the list hands out none
// for it (such a type is left out of the file).
const AircraftRecord* UsableRecord(ITypeList* aircraft, int index) {
    if (!aircraft->IsUsable(index)) return nullptr;
    void* record = nullptr;
    aircraft->GetRecord(index, &record);
    return static_cast<const AircraftRecord*>(record);
}

// The count heads the file, so the records are counted first as they will be
// written: the count always matches the records that follow it.
void WriteAircraftList(ExchangeServices& services) {
    ITypeList* aircraft = services.List(0);
    IFileManager* files = services.Files();
    if (!aircraft || !files) return;
    const int total = aircraft->GetCount();
    int32_t written = 0;
    for (int i = 0; i < total; ++i) {
        if (UsableRecord(aircraft, i)) ++written;
    }
    const int handle = files->fmgCreateFile(services.ListFile());
    if (handle == -1) return;
    files->fmgWriteFile(handle, &written, sizeof written);
    for (int i = 0; i < total; ++i) {
        if (const AircraftRecord* record = UsableRecord(aircraft, i)) {
            const AircraftListFileRecord out = ListRecordOf(*record);
            files->fmgWriteFile(handle, &out, sizeof out);
        }
    }
    files->fmgCloseFile(handle);
}

}  // namespace

void ExchangeAircraftAsHost() {
    ExchangeServices services;
    ReloadLists(services);
    WriteAircraftList(services);
    if (INetworkLayer* network = services.Network()) network->netSetSessionReady(1);
}

bool ExchangeAircraftAsJoiner(int timeoutSeconds) {
    ExchangeServices services;
    INetworkLayer* network = services.Network();
    if (!network) return false;
    // A timeout of 0 or below waits without limit (still pumping, so a closed
    // window ends the wait). The time waited is summed in 64 bits from the
    // 32-bit timer's steps, so neither a large timeout nor the timer's wrap
    // cuts the wait short.
    const uint64_t limit = timeoutSeconds > 0 ? static_cast<uint64_t>(timeoutSeconds) * 1000u : 0u;
    uint64_t waited = 0;
    uint32_t last = plat::TimerTime();
    while (!network->netIsSessionReady()) {
        if (!appPumpMessages()) return false;
        const uint32_t now = plat::TimerTime();
        waited += now - last;
        last = now;
        if (limit != 0 && waited >= limit) return false;
        plat::SleepMs(kReadyPollMs);
    }
    if (IFileManager* files = services.Files()) files->fmgEnableCache(1);
    // A file that does not arrive whole fails the join: flying on with this
    // side's own data would not be the host's session.
    for (int i = 0; i < 3; ++i) {
        ITypeList* list = services.List(i);
        if (!list) continue;
        int replaced = 0;
        const char* name = list->GetDataFileName();
        if (!network->netSyncFile(name, &replaced)) {
            LogError("The join failed: \"%s\" could not be copied from the host", name ? name : "");
            return false;
        }
        if (replaced) list->Reload(-1, 0);
    }
    int replaced = 0;
    if (!network->netSyncFile(services.ListFile(), &replaced)) {
        LogError("The join failed: \"%s\" could not be copied from the host", services.ListFile());
        return false;
    }
    return true;
}
