// The joining side: one join attempt at a time, the host's ready flag, and
// files fetched from the host into this side's cache directory.
#include "network_layer.h"

#include "files/crc32.h"
#include "files/paths.h"
#include "files/strings.h"
#include "net_lock.h"
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

Writer NetworkLayer::FileRequest(MessageType type, int cacheFile, uint32_t offset, const char* name) {
    Writer request(type, NextRequest());
    request.U8(static_cast<uint8_t>(cacheFile));
    request.U32(offset);
    request.Text(name);
    return request;
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
    Writer request(kJoin, NextRequest());
    {
        Locked lock(m_lock);
        request.Text(ShellGetVersionText());
        request.Text(m_playerName);
        request.Text(description->password);
        request.U32(m_playerColor);
    }
    char answer[kMaxDatagram];
    const int size = Exchange(request, kJoinAnswer, answer, kJoinWaitMs, kJoinTries);
    if (size < 0) return 0;
    Reader reply(answer, static_cast<size_t>(size));
    const uint8_t status = reply.U8();
    Session session{};
    reply.Text(session.name, sizeof session.name);
    session.gameType = static_cast<int32_t>(reply.U32());
    session.maxPlayers = static_cast<int32_t>(reply.U32());
    session.currentPlayers = static_cast<int32_t>(reply.U32());
    session.ready = reply.U8();
    if (!reply.Ok()) return 0;
    if (status != kAdmitted) {
        m_lastError = status;
        return 0;
    }
    Locked lock(m_lock);
    m_session = session;
    m_joined = true;
    m_lastError = 0;
    return 1;
}

int NetworkLayer::netIsSessionReady() {
    if (m_hosting) {
        Locked lock(m_lock);
        return m_session.ready;
    }
    if (!m_joined) return 0;
    char answer[kMaxDatagram];
    const int size = Exchange(Writer(kStatus, NextRequest()), kStatusAnswer, answer, kStatusWaitMs, 1);
    if (size < 0) return 0;
    Reader reply(answer, static_cast<size_t>(size));
    const int ready = reply.U8();
    const int maxPlayers = static_cast<int32_t>(reply.U32());
    const int currentPlayers = static_cast<int32_t>(reply.U32());
    if (!reply.Ok()) return 0;
    Locked lock(m_lock);
    m_session.ready = ready;
    m_session.maxPlayers = maxPlayers;
    m_session.currentPlayers = currentPlayers;
    return ready;
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
    int size = Exchange(FileRequest(kFileInfo, cacheFile, 0, asked), kFileInfoAnswer, answer, kFileWaitMs, kFileTries);
    if (size < 0) return 0;
    Reader info(answer, static_cast<size_t>(size));
    const int found = info.U8();
    const uint32_t fileSize = info.U32();
    const uint32_t fileSum = info.U32();
    if (!info.Ok() || !found || fileSize > kMaxFileSize) return 0;

    uint32_t localSize = 0, localSum = 0;
    if (LocalFileSum(local, &localSize, &localSum) && localSize == fileSize && localSum == fileSum) return 1;

    char* contents = static_cast<char*>(ShellAlloc(fileSize ? fileSize : 1));
    if (!contents) return 0;
    uint32_t offset = 0;
    bool ok = true;
    while (ok && offset < fileSize) {
        size = Exchange(FileRequest(kFileChunk, cacheFile, offset, asked), kFileChunkAnswer, answer, kFileWaitMs, kFileTries);
        Reader chunk(answer, size < 0 ? 0 : static_cast<size_t>(size));
        const int present = chunk.U8();
        const uint32_t at = chunk.U32();
        const uint16_t length = chunk.U16();
        const char* bytes = chunk.Bytes(length);
        ok = size >= 0 && chunk.Ok() && present && at == offset && length > 0 && length <= fileSize - offset;
        if (ok) {
            memcpy(contents + offset, bytes, length);
            offset += length;
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
