// The hosting side: one service thread answers the session's port through
// SessionHost and server queries on the query port; it also sends a joined
// player's keep-alives, and on both sides the states of a shared flight.
#include "network_layer.h"

#include "net_lock.h"

#include "files/paths.h"
#include "files/strings.h"
#include "platform/platform.h"
#include "shell/shell.h"
#include "varn/fmg.h"
#include "varn/obj.h"
#include "varn/registry.h"

#include <cstring>

using namespace netwire;

namespace {

const uint32_t kServiceWaitMs = 50;
const DWORD kServiceStopMs = 5000;
// Datagrams taken from one socket before the other gets its turn.
const int kDrainPerTurn = 64;
// The object lists whose data files a joining side synchronises.
const char* const kListTypes[] = {kAircraftTypeName, kMissileTypeName, kBulletTypeName};

}  // namespace

bool NetworkLayer::StartService() {
    if (m_thread) return true;
    InterlockedExchange(&m_stop, 0);
    m_thread = CreateThread(nullptr, 0, &NetworkLayer::ServiceThread, this, 0, nullptr);
    return m_thread != nullptr;
}

void NetworkLayer::StopService() {
    if (!m_thread) return;
    InterlockedExchange(&m_stop, 1);
    WaitForSingleObject(m_thread, kServiceStopMs);
    CloseHandle(m_thread);
    m_thread = nullptr;
}

DWORD WINAPI NetworkLayer::ServiceThread(void* self) {
    NetworkLayer* layer = static_cast<NetworkLayer*>(self);
    while (!InterlockedCompareExchange(&layer->m_stop, 0, 0)) {
        if (layer->m_hosting || layer->m_querySocket.IsOpen()) {
            layer->ServeSockets(kServiceWaitMs);
        } else if (layer->m_joined) {
            layer->KeepJoined();
            // In flight the host's states are read here; before, the launch's
            // requests read their answers themselves.
            bool flying = false;
            {
                Locked lock(layer->m_lock);
                flying = layer->m_flying;
            }
            if (flying)
                layer->ServeJoined(kServiceWaitMs);
            else
                Sleep(kServiceWaitMs);
        } else {
            Sleep(kServiceWaitMs);
        }
        layer->SendFlightStates();
        layer->KeepPlayers();
    }
    return 0;
}

void NetworkLayer::ServeSockets(uint32_t waitMs) {
    UdpSocket* game = m_hosting && m_gameSocket.IsOpen() ? &m_gameSocket : nullptr;
    UdpSocket* query = m_querySocket.IsOpen() ? &m_querySocket : nullptr;
    const int ready = UdpSocket::WaitReadable(game, query, waitMs);
    char data[kMaxDatagram];
    char answer[kMaxDatagram];
    NetAddress from;
    for (int i = 0; (ready & 1) && i < kDrainPerTurn; ++i) {
        const int size = game->Receive(data, sizeof data, &from, 0);
        if (size < 0) break;
        InterlockedIncrement(&m_handled);
        size_t length = 0;
        {
            Locked lock(m_lock);
            length = m_host->Handle(data, static_cast<size_t>(size), from, plat::TimerTime(), answer);
        }
        if (length) game->Send(from, answer, length);
    }
    for (int i = 0; (ready & 2) && i < kDrainPerTurn; ++i) {
        const int size = query->Receive(data, sizeof data - 1, &from, 0);
        if (size < 0) break;
        InterlockedIncrement(&m_handled);
        ServeQuery(data, size, from);
    }
    Locked lock(m_lock);
    m_host->Expire(plat::TimerTime());
}

// The host's files as its file manager finds them.
class ManagedFiles final : public SessionFileSource {
public:
    bool Describe(const char* path, uint32_t* size, uint32_t* sum) override {
        IFileManager* files = ShellGetFileManager();
        if (!files || !files->fmgFileExists(path, 0)) return false;
        const int bytes = files->fmgGetFileSize(path);
        if (bytes < 0) return false;
        *size = static_cast<uint32_t>(bytes);
        *sum = files->fmgGetCheckSum(path);
        return true;
    }
    int Read(const char* path, uint32_t offset, char* out, size_t size) override {
        IFileManager* files = ShellGetFileManager();
        const int handle = files ? files->fmgOpenFile(path, 0) : -1;
        if (handle == -1) return -1;
        // A catalog member's seek answers the position in the whole catalog file:
        // the member's start is where it stands right after opening (0 for a
        // plain file), and the chunk's offset counts from there.
        int got = -1;
        const int start = files->fmgSeekFile(handle, 0, 1);
        if (offset <= kMaxFileSize && start >= 0 &&
            files->fmgSeekFile(handle, static_cast<int>(offset), 0) == start + static_cast<int>(offset))
            got = files->fmgReadFile(handle, out, static_cast<uint32_t>(size));
        files->fmgCloseFile(handle);
        return got;
    }
};

SessionFileSource* ManagedFileSource() {
    static ManagedFiles files;
    return &files;
}

void NetworkLayer::ListSessionFiles() {
    FileAllowList listed;
    IInterfaceManager* registry = ShellGetRegistry();
    void* held = nullptr;
    if (registry && registry->GetInterface(VARN_ID_OBJ, &held) && held) {
        IObjectManager* objects = static_cast<IObjectManager*>(held);
        for (const char* type : kListTypes) {
            ITypeList* list = nullptr;
            objects->objGetTypeList(objects->objGetTypeId(type), &list);
            const char* name = list ? list->GetDataFileName() : nullptr;
            // A data file whose name is not plain (absolute, climbing out) is not served.
            if (name) listed.Add(0, name, name);
        }
        registry->ReleaseInterface(VARN_ID_OBJ, &held);
    }
    if (IFileManager* files = ShellGetFileManager()) {
        char cache[260] = "", path[260] = "";
        files->fmgGetCacheDirectory(cache, sizeof cache);
        TerminateString(cache, sizeof cache);
        CombinePath(cache, kAircraftListFileName, path, sizeof path);
        listed.Add(1, kAircraftListFileName, path);
    }
    Locked lock(m_lock);
    m_host->Files() = listed;
}
