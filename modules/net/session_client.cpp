// The joining side: one join attempt at a time (a challenge, then the join),
// the host's ready flag, and files fetched from the host into this side's
// cache directory; every request after the join carries the session token.
#include "network_layer.h"

#include "files/crc32.h"
#include "files/paths.h"
#include "files/strings.h"
#include "net_lock.h"
#include "session_messages.h"
#include "platform/platform.h"
#include "shell/shell.h"
#include "shell/shell_memory.h"
#include "varn/fmg.h"

#include <cstring>

using namespace netwire;

namespace {

const uint32_t kJoinWaitMs = 500;
const int kJoinTries = 2;
const uint32_t kStatusWaitMs = 300;
const uint32_t kFileWaitMs = 500;
const int kFileTries = 4;
const uint32_t kKeepAliveMs = 5000;  // well within the host's player timeout
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
    char directory[260];
    CopyString(directory, path, sizeof directory);
    char* slash = FindLastChar(directory, '\\');
    if (!slash) return false;
    *slash = '\0';
    char base[260];
    CopyString(base, cache, sizeof base);
    const size_t length = strlen(base);
    if (length && base[length - 1] == '\\') base[length - 1] = '\0';
    return !IsEmptyString(base) && StringsEqual(directory, base, false);
}

}  // namespace

int NetworkLayer::Exchange(const Writer& request, MessageType answerType, char* answer, uint32_t waitMs, int tries) {
    if (!request.Ok() || !m_gameSocket.IsOpen()) return -1;
    Reader sent(request.Data(), request.Size());
    for (int attempt = 0; attempt < tries; ++attempt) {
        if (!m_gameSocket.Send(m_hostAddress, request.Data(), request.Size())) continue;
        const uint32_t start = plat::TimerTime();
        // Datagrams from elsewhere, or late answers to earlier requests, are skipped.
        for (int i = 0; i < 256; ++i) {
            const uint32_t spent = plat::TimerTime() - start;
            if (spent >= waitMs) break;
            NetAddress from;
            const int size = m_gameSocket.Receive(answer, kMaxDatagram, &from, waitMs - spent);
            if (size < 0) break;
            Reader reply(answer, static_cast<size_t>(size));
            if (from == m_hostAddress && reply.Valid() && reply.Type() == answerType &&
                reply.Request() == sent.Request())
                return size;
        }
    }
    return -1;
}

int NetworkLayer::netJoinSession(SessionDescription* description, int) {
    m_lastError = kNotAnswered;
    if (!m_started || !description || m_hosting) return 0;
    if (!ParseNetAddress(description->hostAddress, m_gamePort, &m_hostAddress)) {
        m_lastError = kBadAddress;
        return 0;
    }
    if (!m_gameSocket.IsOpen()) {
        NetAddress local = m_bindAddress;
        local.port = 0;
        if (!m_gameSocket.Open(local)) return 0;
    }
    char name[kNameSize];
    uint32_t colour = 0;
    {
        Locked lock(m_lock);
        CopyString(name, m_playerName, sizeof name);
        colour = m_playerColor;
    }
    // A cookie first, then the join that returns it. A join the host dropped
    // (its cookie expired meanwhile, or a limit was reached) gets one more
    // round; what stays unanswered is worth another attempt (code 3).
    char answer[kMaxDatagram];
    JoinAnswer joined{};
    bool answered = false;
    for (int round = 0; round < kJoinTries && !answered; ++round) {
        int size = Exchange(ChallengeRequest(NextRequest()), kChallengeAnswer, answer, kJoinWaitMs, 1);
        uint64_t cookie = 0;
        if (size < 0 || !ReadChallengeAnswer(answer, static_cast<size_t>(size), &cookie)) continue;
        const Writer request = JoinRequest(NextRequest(), cookie, ShellGetVersionText(), name, description->password, colour);
        size = Exchange(request, kJoinAnswer, answer, kJoinWaitMs, 1);
        answered = size >= 0 && ReadJoinAnswer(answer, static_cast<size_t>(size), &joined);
    }
    if (!answered) return 0;
    if (joined.status != kAdmitted) {
        m_lastError = joined.status;
        return 0;
    }
    {
        Locked lock(m_lock);
        CopyString(m_session.name, joined.sessionName, sizeof m_session.name);
        m_session.gameType = joined.gameType;
        m_session.maxPlayers = joined.maxPlayers;
        m_session.currentPlayers = joined.currentPlayers;
        m_session.ready = joined.ready;
        m_token = joined.token;
        m_lastSent = plat::TimerTime();
        m_joined = true;
    }
    m_lastError = 0;
    StartService();  // keep-alives
    return 1;
}

void NetworkLayer::KeepJoined() {
    if (plat::TimerTime() - m_lastSent < kKeepAliveMs) return;
    const Writer alive = TokenRequest(kKeepAlive, NextRequest(), m_token);
    m_gameSocket.Send(m_hostAddress, alive.Data(), alive.Size());
    m_lastSent = plat::TimerTime();
}

int NetworkLayer::netIsSessionReady() {
    if (m_hosting) {
        Locked lock(m_lock);
        return m_host->Ready();
    }
    if (!m_joined) return 0;
    char answer[kMaxDatagram];
    const int size = Exchange(TokenRequest(kStatus, NextRequest(), m_token), kStatusAnswer, answer, kStatusWaitMs, 1);
    StatusAnswer status{};
    if (size < 0 || !ReadStatusAnswer(answer, static_cast<size_t>(size), &status)) return 0;
    Locked lock(m_lock);
    m_session.ready = status.ready;
    m_session.maxPlayers = status.maxPlayers;
    m_session.currentPlayers = status.currentPlayers;
    m_place = status.place;
    return status.ready;
}

int NetworkLayer::netSyncFile(const char* name, int* replaced) {
    if (replaced) *replaced = 0;
    IFileManager* files = ShellGetFileManager();
    if (!m_joined || !files || IsEmptyString(name)) return 0;

    // Where the copy goes: the name itself when it is a cache path, else the
    // cache directory under the name's file-name part.
    char cache[260] = "", fileName[260] = "", local[260] = "";
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
    int size = Exchange(FileRequest(kFileInfo, NextRequest(), m_token, cacheFile, 0, asked), kFileInfoAnswer, answer,
                        kFileWaitMs, kFileTries);
    FileInfoAnswer info{};
    if (size < 0 || !ReadFileInfoAnswer(answer, static_cast<size_t>(size), &info) || !info.found) return 0;
    const uint32_t fileSize = info.size, fileSum = info.sum;

    uint32_t localSize = 0, localSum = 0;
    if (LocalFileSum(local, &localSize, &localSum) && localSize == fileSize && localSum == fileSum) return 1;

    char* contents = static_cast<char*>(ShellAlloc(fileSize ? fileSize : 1));
    if (!contents) return 0;
    uint32_t offset = 0;
    bool ok = true;
    while (ok && offset < fileSize) {
        size = Exchange(FileRequest(kFileChunk, NextRequest(), m_token, cacheFile, offset, asked), kFileChunkAnswer,
                        answer, kFileWaitMs, kFileTries);
        FileChunkAnswer chunk{};
        ok = size >= 0 && ReadFileChunkAnswer(answer, static_cast<size_t>(size), offset, fileSize - offset, &chunk);
        if (ok) {
            memcpy(contents + offset, chunk.bytes, chunk.length);
            offset += chunk.length;
        }
    }
    ok = ok && Crc32(0, contents, fileSize) == fileSum;
    if (ok) {
        // Written beside the copy first, so that a failed write leaves the old copy whole.
        char part[260];
        CopyString(part, local, sizeof part - 5);
        AppendString(part, ".part", sizeof part);
        const int fd = plat::FileCreateWrite(part, plat::AccessHint::Sequential);
        ok = fd >= 0 && plat::FileWrite(fd, contents, fileSize) == static_cast<int>(fileSize);
        if (fd >= 0) ok = plat::FileClose(fd) == 0 && ok;
        ok = ok && plat::FileReplace(part, local);
        if (!ok) plat::FileDelete(part);
    }
    ShellFree(contents);
    if (ok && replaced) *replaced = 1;
    return ok ? 1 : 0;
}
