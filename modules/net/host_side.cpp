// The hosting side: SessionHost answers the session's port, the query text
// answers server-browser queries on the query port, and the host's players
// hear from it while no flight states go out.
#define _CRT_RAND_S  // rand_s: the system's random source
#include "host_side.h"

#include "net_lock.h"
#include "query_text.h"
#include "session_messages.h"

#include "files/paths.h"
#include "files/strings.h"
#include "platform/platform.h"
#include "shell/shell.h"
#include "varn/fmg.h"
#include "varn/held.h"
#include "varn/obj.h"

#include <cstdlib>
#include <cstring>

using namespace netwire;

namespace {

const uint32_t kHostKeepAliveMs = 1000;  // the host's word to its players outside a flight
// Datagrams taken from one socket before the other gets its turn.
const int kDrainPerTurn = 64;
// The object lists whose data files a joining side synchronises.
const char* const kListTypes[] = {kAircraftTypeName, kMissileTypeName, kBulletTypeName};

}  // namespace

HostSide::HostSide(NetLink& link, IQueryContext* context) : m_link(link), m_context(context) {
    // The keys of cookies, tokens and rate-limit tables come from the
    // system's random source.
    unsigned char seed[32];
    for (size_t i = 0; i < sizeof seed; i += 4) {
        unsigned int value = 0;
        rand_s(&value);
        memcpy(seed + i, &value, 4);
    }
    m_host = new SessionHost(seed, ManagedFileSource());
    SecureZeroMemory(seed, sizeof seed);
}

HostSide::~HostSide() { delete m_host; }

void HostSide::Open(const SessionDescription& description, int seatsPerAddress) {
    Locked lock(m_link.lock);
    SessionSettings settings{};
    settings.name = description.sessionName;
    settings.password = description.password;
    settings.passwordGiven = description.passwordGiven;
    settings.gameType = description.gameType;
    settings.maxPlayers = description.maxPlayers;
    settings.version = ShellGetVersionText();
    settings.seatsPerAddress = seatsPerAddress;
    m_host->Open(settings, plat::TimerTime());
    m_hosting = true;
}

void HostSide::Close() {
    for (int i = 0; m_hosting && i < m_host->PlayerCount(); ++i) {
        const Writer leave = HostNotice(kLeave, m_link.NextRequest(), m_host->PlayerToken(i), m_host->PlayerAnswerKey(i));
        for (int j = 0; j < 2; ++j) m_link.gameSocket.Send(m_host->PlayerAddress(i), leave.Data(), leave.Size());
    }
    m_host->Close();
    m_hosting = false;
}

void HostSide::SetReady(int ready) {
    if (!m_hosting) return;
    if (ready) ListSessionFiles();
    Locked lock(m_link.lock);
    m_host->SetReady(ready);
}

void HostSide::Describe(SessionDescription* description) const {
    description->sessionName = m_host->Name();
    description->gameType = m_host->GameType();
    description->maxPlayers = m_host->MaxPlayers();
    description->currentPlayers = m_host->CurrentPlayers();
}

void HostSide::SetQuerySetup(const QueryReportingSetup& setup) {
    Locked lock(m_link.lock);
    m_query = setup;
}

void HostSide::KeepPlayers() {
    const uint32_t now = plat::TimerTime();
    if (!m_hosting || now - m_playersKept < kHostKeepAliveMs) return;
    m_playersKept = now;
    for (int i = 0; i < m_host->PlayerCount(); ++i) {
        const Writer alive = HostNotice(kKeepAlive, m_link.NextRequest(), m_host->PlayerToken(i), m_host->PlayerAnswerKey(i));
        m_link.gameSocket.Send(m_host->PlayerAddress(i), alive.Data(), alive.Size());
    }
}

void HostSide::Serve(uint32_t waitMs) {
    UdpSocket* game = m_hosting && m_link.gameSocket.IsOpen() ? &m_link.gameSocket : nullptr;
    UdpSocket* query = m_querySocket.IsOpen() ? &m_querySocket : nullptr;
    const int ready = UdpSocket::WaitReadable(game, query, waitMs);
    char data[kMaxDatagram];
    char answer[kMaxDatagram];
    NetAddress from;
    for (int i = 0; (ready & 1) && i < kDrainPerTurn; ++i) {
        const int size = game->Receive(data, sizeof data, &from, 0);
        if (size < 0) break;
        InterlockedIncrement(&m_link.handled);
        size_t length = 0;
        {
            Locked lock(m_link.lock);
            length = m_host->Handle(data, static_cast<size_t>(size), from, plat::TimerTime(), answer);
        }
        if (length) game->Send(from, answer, length);
    }
    for (int i = 0; (ready & 2) && i < kDrainPerTurn; ++i) {
        const int size = query->Receive(data, sizeof data - 1, &from, 0);
        if (size < 0) break;
        InterlockedIncrement(&m_link.handled);
        ServeQuery(data, size, from);
    }
    Locked lock(m_link.lock);
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

void HostSide::ListSessionFiles() {
    FileAllowList listed;
    InterfaceHold<IObjectManager> objects(ShellGetRegistry());
    if (objects) {
        for (const char* type : kListTypes) {
            ITypeList* list = nullptr;
            objects->objGetTypeList(objects->objGetTypeId(type), &list);
            const char* name = list ? list->GetDataFileName() : nullptr;
            // A data file whose name is not plain (absolute, climbing out) is not served.
            if (name) listed.Add(0, name, name);
        }
    }
    if (IFileManager* files = ShellGetFileManager()) {
        char cache[kPathSize] = "", path[kPathSize] = "";
        files->fmgGetCacheDirectory(cache, sizeof cache);
        TerminateString(cache, sizeof cache);
        CombinePath(cache, kAircraftListFileName, path, sizeof path);
        listed.Add(1, kAircraftListFileName, path);
    }
    Locked lock(m_link.lock);
    m_host->Files() = listed;
}

// Server-browser queries, answered with the text query_text.h writes. Answers
// are rate-limited: a query of a few bytes gets an answer of hundreds, which
// must not make the host an amplifier.
void HostSide::ServeQuery(const char* data, int size, const NetAddress& from) {
    QueryReportingSetup setup;
    // The players' names as they stand now: the callbacks run outside the lock.
    char names[SessionHost::kMaxJoined + 1][SessionHost::kNameSize];
    const char* players[SessionHost::kMaxJoined + 1];
    int count = 0;
    {
        // Within the query budgets of the source address and of all sources.
        Locked lock(m_link.lock);
        if (!m_host->AllowAnswer(kQueryAnswers, from.ip, plat::TimerTime())) return;
        setup = m_query;
        for (int i = 0; m_hosting && i <= m_host->PlayerCount(); ++i) {
            CopyString(names[i], i == 0 ? m_link.playerName : m_host->PlayerName(i - 1), SessionHost::kNameSize);
            players[count++] = names[i];
        }
    }
    QueryFacts facts{&setup, m_context, ShellGetVersionText(), players, count, ++m_queryId};
    char answer[kQueryAnswerSize];
    const size_t length = WriteQueryAnswer(data, static_cast<size_t>(size), facts, answer);
    if (length) m_querySocket.Send(from, answer, length);
}
