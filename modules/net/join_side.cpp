// The joining side: one join attempt at a time (a challenge, then the join),
// the host's ready flag, and files fetched from the host into this side's
// cache directory; every request after the join carries the session token.
#include "join_side.h"

#include "files/crc32.h"
#include "files/paths.h"
#include "files/strings.h"
#include "net_lock.h"
#include "password_key.h"
#include "session_messages.h"
#include "platform/platform.h"
#include "shell/log.h"
#include "shell/shell.h"
#include "shell/shell_app.h"
#include "shell/shell_memory.h"
#include "varn/fmg.h"

#include <cstring>

using namespace netwire;

namespace {

// A join round (challenge and join) is tried for this long: the launch
// makes ConnectionTimeout / 10 attempts a second apart, so all of them end
// near ConnectionTimeout.
const uint32_t kJoinRoundMs = 8000;
const uint32_t kKeepAliveMs = 5000;  // well within the host's player timeout
const uint32_t kHostSilenceMs = 10000;  // in flight, a host not heard this long is gone
// A file copy gives up when no new chunk came for this long, well within
// the default ConnectionTimeout: a trickling host is dropped, a slow one is not.
const uint32_t kFileStallMs = 15000;
const int kChunksInFlight = 32;
const int kNotAnswered = 3;  // retried by the launch
const int kBadAddress = 7;

// The size and checksum of a local file; false when it cannot be read.
bool LocalFileSum(const char* path, uint32_t* size, uint32_t* sum) {
    const int fd = plat::FileOpenRead(path, plat::AccessHint::Sequential);
    if (fd < 0) return false;
    char buffer[4096];
    uint32_t total = 0;
    uint32_t crc = 0;
    for (;;) {
        const int got = plat::FileRead(fd, buffer, sizeof buffer);
        if (got <= 0) break;
        crc = Crc32(crc, buffer, static_cast<size_t>(got));
        total += static_cast<uint32_t>(got);
    }
    plat::FileClose(fd);
    *size = total;
    *sum = crc;
    return true;
}

// Whether path lies directly in the cache directory.
bool IsCachePath(const char* path, const char* cache) {
    char directory[kPathSize];
    CopyString(directory, path, sizeof directory);
    char* slash = FindLastChar(directory, '\\');
    if (!slash) return false;
    *slash = '\0';
    char base[kPathSize];
    CopyString(base, cache, sizeof base);
    const size_t length = strlen(base);
    if (length && base[length - 1] == '\\') base[length - 1] = '\0';
    return !IsEmptyString(base) && StringsEqual(directory, base, false);
}

}  // namespace

bool JoinSide::TakeNotice(const char* data, size_t size) {
    MessageType type;
    if (!m_joined || !ReadHostNotice(data, size, m_answerKey, m_token, &type)) return false;
    Locked lock(m_link.lock);
    m_hostHeard = plat::TimerTime();
    if (type == kLeave && !m_hostLeft) {
        m_hostLeft = true;
        LogNotice("NET: the host left the session; flying on alone");
    }
    return true;
}

int JoinSide::Exchange(const Writer& request, MessageType answerType, char* answer, uint32_t forMs) {
    if (!request.Ok() || !m_link.gameSocket.IsOpen()) return -1;
    Reader sent(request.Data(), request.Size());
    const uint32_t first = plat::TimerTime();
    // The same request (same number) is sent again each time its wait runs
    // out; an answer to any of its tries counts.
    do {
        if (!m_link.gameSocket.Send(m_hostAddress, request.Data(), request.Size())) return -1;
        const uint32_t start = plat::TimerTime();
        const uint32_t waitMs = m_roundTrip.WaitMs();
        for (;;) {
            const uint32_t spent = plat::TimerTime() - start;
            if (spent >= waitMs) break;
            NetAddress from;
            const int size = m_link.gameSocket.Receive(answer, kMaxDatagram, &from, waitMs - spent);
            if (size < 0) break;
            // Datagrams from elsewhere, or late answers to other requests, are
            // skipped; the host's leave is taken wherever it comes.
            if (!(from == m_hostAddress)) continue;
            Reader reply(answer, static_cast<size_t>(size));
            if (!reply.Valid()) continue;
            if (reply.Type() == answerType && reply.Request() == sent.Request()) {
                m_roundTrip.Sample(plat::TimerTime() - first);
                return size;
            }
            TakeNotice(answer, static_cast<size_t>(size));
        }
        m_roundTrip.Backoff();
    } while (plat::TimerTime() - first < forMs);
    return -1;
}

int JoinSide::Join(SessionDescription* description, bool allowed, uint16_t gamePort, const NetAddress& bind) {
    m_lastError = kNotAnswered;
    if (!allowed || !description) return 0;
    if (!ParseNetAddress(description->hostAddress, gamePort, &m_hostAddress)) {
        m_lastError = kBadAddress;
        return 0;
    }
    if (!m_link.gameSocket.IsOpen()) {
        NetAddress local = bind;
        local.port = 0;
        if (!m_link.gameSocket.Open(local)) return 0;
    }
    char name[SessionHost::kNameSize];
    const uint32_t colour = m_link.playerColor;
    {
        Locked lock(m_link.lock);
        CopyString(name, m_link.playerName, sizeof name);
    }
    // A cookie first, then the join that returns it. A join the host dropped
    // (its cookie expired meanwhile, or a limit was reached) gets another
    // round; what stays unanswered is worth another attempt (code 3).
    char answer[kMaxDatagram];
    JoinAnswer joined{};
    bool answered = false;
    const uint32_t first = plat::TimerTime();
    while (!answered && plat::TimerTime() - first < kJoinRoundMs) {
        const uint32_t left = kJoinRoundMs - (plat::TimerTime() - first);
        int size = Exchange(ChallengeRequest(m_link.NextRequest()), kChallengeAnswer, answer, left);
        ChallengeAnswer challenge{};
        if (size < 0 || !ReadChallengeAnswer(answer, static_cast<size_t>(size), &challenge)) continue;
        // The password's key is derived once per salt and password: once per join.
        const char* password = description->password ? description->password : "";
        if (!m_keyDerived || memcmp(m_keySalt, challenge.salt, kSaltSize) != 0 || !StringsEqual(m_keyPassword, password, true)) {
            m_passwordKey = PasswordKey(password, challenge.salt, kSaltSize);
            memcpy(m_keySalt, challenge.salt, kSaltSize);
            CopyString(m_keyPassword, password, sizeof m_keyPassword);
            m_keyDerived = true;
        }
        if (!PasswordKeyDerived(m_passwordKey)) {
            // Out of memory for the derivation, say: no proof can be made.
            m_keyDerived = false;
            m_lastError = kRefusedPassword;
            return 0;
        }
        const Writer request = JoinRequest(m_link.NextRequest(), challenge.cookie, ShellGetVersionText(), name, m_passwordKey, colour);
        size = Exchange(request, kJoinAnswer, answer, kJoinRoundMs - (plat::TimerTime() - first) + 1);
        answered = size >= 0 && ReadJoinAnswer(answer, static_cast<size_t>(size), challenge.cookie, &joined);
        m_joinCookie = challenge.cookie;
    }
    if (!answered) return 0;
    if (joined.status != kAdmitted) {
        m_lastError = joined.status;
        return 0;
    }
    {
        Locked lock(m_link.lock);
        CopyString(m_session.name, joined.sessionName, sizeof m_session.name);
        m_session.gameType = joined.gameType;
        m_session.maxPlayers = joined.maxPlayers;
        m_session.currentPlayers = joined.currentPlayers;
        m_session.ready = joined.ready;
        m_token = joined.token;
        m_answerKey = AnswerKey(AnswerKeyBase(joined, m_passwordKey, m_joinCookie), joined.token);
        m_lastSent = m_hostHeard = plat::TimerTime();
        m_hostLeft = false;
        m_statusRequest = 0;
        m_joined = true;
    }
    m_lastError = 0;
    return 1;
}

void JoinSide::DropSilentHost() {
    if (!m_hostLeft && plat::TimerTime() - m_hostHeard >= kHostSilenceMs) {
        m_hostLeft = true;
        LogWarning("NET: the host has not been heard for %u s; flying on alone",
                   static_cast<unsigned>(kHostSilenceMs / 1000));
    }
}

void JoinSide::KeepAlive() {
    if (plat::TimerTime() - m_lastSent < kKeepAliveMs) return;
    const Writer alive = TokenRequest(kKeepAlive, m_link.NextRequest(), m_token);
    m_link.gameSocket.Send(m_hostAddress, alive.Data(), alive.Size());
    m_lastSent = plat::TimerTime();
}

void JoinSide::Describe(SessionDescription* description) const {
    description->sessionName = m_session.name;
    description->gameType = m_session.gameType;
    description->maxPlayers = m_session.maxPlayers;
    description->currentPlayers = m_session.currentPlayers;
}

const char* JoinSide::GameMode() const { return m_session.currentPlayers < m_session.maxPlayers ? "open" : "closed"; }

void JoinSide::Leave() {
    if (m_joined) {
        const Writer leave = TokenRequest(kLeave, m_link.NextRequest(), m_token);
        for (int i = 0; i < 2; ++i) m_link.gameSocket.Send(m_hostAddress, leave.Data(), leave.Size());
    }
    m_token = 0;
    SecureZeroMemory(m_keyPassword, sizeof m_keyPassword);
    m_keyDerived = false;
    m_joined = false;
}

int JoinSide::IsReady() {
    if (!m_joined) return 0;
    // One status request stands until it is answered: each poll sends it
    // again and waits one round trip, so an answer to an earlier poll's try
    // still counts on a long route.
    if (!m_statusRequest) m_statusRequest = m_link.NextRequest();
    char answer[kMaxDatagram];
    const int size = Exchange(TokenRequest(kStatus, m_statusRequest, m_token), kStatusAnswer, answer, 1);
    StatusAnswer status{};
    if (size < 0 || !ReadStatusAnswer(answer, static_cast<size_t>(size), m_answerKey, &status)) return 0;
    m_statusRequest = 0;
    Locked lock(m_link.lock);
    m_hostHeard = plat::TimerTime();
    m_session.ready = status.ready;
    m_session.maxPlayers = status.maxPlayers;
    m_session.currentPlayers = status.currentPlayers;
    m_place = status.place;
    return status.ready;
}

int JoinSide::SyncFile(const char* name, int* replaced) {
    if (replaced) *replaced = 0;
    IFileManager* files = ShellGetFileManager();
    if (!m_joined || !files || IsEmptyString(name)) return 0;

    // Where the copy goes: the name itself when it is a cache path, else the
    // cache directory under the name's file-name part.
    char cache[kPathSize] = "", fileName[kPathSize] = "", local[kPathSize] = "";
    files->fmgGetCacheDirectory(cache, sizeof cache);
    TerminateString(cache, sizeof cache);
    GetFileName(name, fileName, sizeof fileName);
    const int cacheFile = IsCachePath(name, cache) ? 1 : 0;
    if (cacheFile)
        CopyString(local, name, sizeof local);
    else
        CombinePath(cache, fileName, local, sizeof local);
    const char* asked = cacheFile ? fileName : name;

    char answer[kMaxDatagram];
    FileInfoAnswer info{};
    int size = Exchange(FileRequest(kFileInfo, m_link.NextRequest(), m_token, cacheFile, 0, asked), kFileInfoAnswer, answer,
                        kFileStallMs);
    if (size < 0 || !ReadFileInfoAnswer(answer, static_cast<size_t>(size), m_answerKey, &info)) {
        LogWarning("NET: the host did not describe \"%s\"", name);
        return 0;
    }
    if (!info.found) {
        // Nothing to copy: the host has no such file to give (or not yet), and
        // this side's own copy, if any, stays as it is.
        LogNotice("NET: the host does not serve \"%s\"; this side's own copy is kept", name);
        return 1;
    }
    const uint32_t fileSize = info.size, fileSum = info.sum;

    uint32_t localSize = 0, localSum = 0;
    if (LocalFileSum(local, &localSize, &localSum) && localSize == fileSize && localSum == fileSum) return 1;

    char* contents = static_cast<char*>(ShellAlloc(fileSize ? fileSize : 1));
    if (!contents) return 0;
    const bool copied = FetchChunks(cacheFile, asked, fileSize, contents);
    bool ok = copied && Crc32(0, contents, fileSize) == fileSum;
    if (ok) {
        // Written beside the copy first, so that a failed write leaves the old copy whole.
        char part[kPathSize];
        CopyString(part, local, sizeof part - 5);
        AppendString(part, ".part", sizeof part);
        const int fd = plat::FileCreateWrite(part, plat::AccessHint::Sequential);
        ok = fd >= 0 && plat::FileWrite(fd, contents, fileSize) == static_cast<int>(fileSize);
        if (fd >= 0) ok = plat::FileClose(fd) == 0 && ok;
        ok = ok && plat::FileReplace(part, local);
        if (!ok) plat::FileDelete(part);
    }
    ShellFree(contents);
    if (!ok)
        LogWarning(copied ? "NET: \"%s\" came with a wrong checksum or could not be written"
                          : "NET: \"%s\" could not be copied from the host", name);
    if (ok && replaced) *replaced = 1;
    return ok ? 1 : 0;
}

bool JoinSide::FetchChunks(int cacheFile, const char* asked, uint32_t fileSize, char* contents) {
    // Several chunk requests are in flight at once, each with its own
    // request number; a chunk whose wait ran out is asked again. The copy
    // ends when every chunk came, or when none came for kFileStallMs.
    struct Slot {
        uint32_t request;
        uint32_t offset;
        uint32_t sentAt;
        uint32_t firstSent;
        bool busy;
    };
    Slot slots[kChunksInFlight] = {};
    const uint32_t chunks = (fileSize + kChunkSize - 1) / kChunkSize;
    uint32_t nextChunk = 0, received = 0;
    uint32_t lastProgress = plat::TimerTime();
    char answer[kMaxDatagram];
    while (received < chunks) {
        const uint32_t now = plat::TimerTime();
        if (now - lastProgress >= kFileStallMs) return false;
        // The window stays responsive; a closed window ends the copy.
        if (ShellGetApplication() && !appPumpMessages()) return false;
        for (Slot& slot : slots) {
            const bool due = slot.busy && now - slot.sentAt >= m_roundTrip.WaitMs();
            if (!slot.busy && nextChunk < chunks) {
                slot = Slot{m_link.NextRequest(), nextChunk++ * static_cast<uint32_t>(kChunkSize), now, now, true};
            } else if (due) {
                slot.sentAt = now;
                m_roundTrip.Backoff();
            } else {
                continue;
            }
            const Writer request = FileRequest(kFileChunk, slot.request, m_token, cacheFile, slot.offset, asked);
            m_link.gameSocket.Send(m_hostAddress, request.Data(), request.Size());
        }
        NetAddress from;
        const int size = m_link.gameSocket.Receive(answer, kMaxDatagram, &from, 20);
        if (size < 0 || !(from == m_hostAddress)) continue;
        FileChunkAnswer chunk{};
        if (!ReadFileChunkAnswer(answer, static_cast<size_t>(size), m_answerKey, fileSize, &chunk)) {
            TakeNotice(answer, static_cast<size_t>(size));
            continue;
        }
        Reader reply(answer, static_cast<size_t>(size));
        for (Slot& slot : slots) {
            // Only the answer to a request in flight, for its own offset and
            // with a whole chunk (the last one may be shorter), is taken; a
            // stray or repeated answer is dropped and the chunk asked again.
            const uint32_t expected = fileSize - slot.offset < kChunkSize ? fileSize - slot.offset : kChunkSize;
            if (!slot.busy || slot.request != reply.Request() || chunk.offset != slot.offset || chunk.length != expected)
                continue;
            memcpy(contents + slot.offset, chunk.bytes, chunk.length);
            m_roundTrip.Sample(plat::TimerTime() - slot.firstSent);
            slot.busy = false;
            ++received;
            lastProgress = plat::TimerTime();
            Locked lock(m_link.lock);
            m_hostHeard = lastProgress;
        }
    }
    return true;
}
