// The hosting side: one service thread answers join, status and file requests
// on the session's port and server queries on the query port.
#include "network_layer.h"

#include "net_lock.h"

#include "files/paths.h"
#include "files/strings.h"
#include "shell/shell.h"
#include "varn/fmg.h"

#include <cstring>

using namespace netwire;

namespace {

const uint32_t kServiceWaitMs = 50;
const DWORD kServiceStopMs = 5000;


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
    char data[kMaxDatagram];
    while (!InterlockedCompareExchange(&layer->m_stop, 0, 0)) {
        NetAddress from;
        bool idle = true;
        if (layer->m_hosting && layer->m_gameSocket.IsOpen()) {
            const int size = layer->m_gameSocket.Receive(data, sizeof data, &from, kServiceWaitMs);
            if (size >= 0) {
                layer->ServeGameRequest(data, size, from);
                idle = false;
            }
        }
        if (layer->m_querySocket.IsOpen()) {
            const int size = layer->m_querySocket.Receive(data, sizeof data - 1, &from, idle ? kServiceWaitMs : 0);
            if (size >= 0) layer->ServeQuery(data, size, from);
        } else if (idle && !layer->m_gameSocket.IsOpen()) {
            Sleep(kServiceWaitMs);
        }
    }
    return 0;
}

void NetworkLayer::ServeGameRequest(const char* data, int size, const NetAddress& from) {
    Reader request(data, static_cast<size_t>(size));
    if (!request.Valid()) return;  // not ours: no answer
    switch (request.Type()) {
        case kJoin: AnswerJoin(request, from); break;
        case kStatus: {
            Writer answer(kStatusAnswer, request.Request());
            {
                Locked lock(m_lock);
                answer.U8(static_cast<uint8_t>(m_session.ready));
                answer.U32(static_cast<uint32_t>(m_session.maxPlayers));
                answer.U32(static_cast<uint32_t>(m_session.currentPlayers));
            }
            m_gameSocket.Send(from, answer.Data(), answer.Size());
            break;
        }
        case kFileInfo: AnswerFileInfo(request, from); break;
        case kFileChunk: AnswerFileChunk(request, from); break;
        default: break;
    }
}

void NetworkLayer::AnswerJoin(Reader& request, const NetAddress& from) {
    char version[260], name[kNameSize], password[260];
    request.Text(version, sizeof version);
    request.Text(name, sizeof name);
    request.Text(password, sizeof password);
    request.U32();  // colour
    if (!request.Ok()) return;

    Writer answer(kJoinAnswer, request.Request());
    Locked lock(m_lock);
    int known = -1;
    for (int i = 0; i < m_playerCount; ++i) {
        if (m_players[i].address == from) known = i;
    }
    uint8_t status = kAdmitted;
    if (!StringsEqual(version, ShellGetVersionText(), true))
        status = kRefusedVersion;
    else if (m_session.passwordGiven && strcmp(password, m_session.password) != 0)
        status = kRefusedPassword;
    else if (known < 0 && m_session.closed)
        status = kRefusedClosed;
    else if (known < 0 && (m_session.currentPlayers >= m_session.maxPlayers || m_playerCount >= kMaxJoined))
        status = kRefusedFull;
    if (status == kAdmitted && known < 0) {
        m_players[m_playerCount].address = from;
        CopyString(m_players[m_playerCount].name, name, kNameSize);
        ++m_playerCount;
        m_session.currentPlayers = 1 + m_playerCount;
    }
    answer.U8(status);
    answer.Text(m_session.name);
    answer.U32(static_cast<uint32_t>(m_session.gameType));
    answer.U32(static_cast<uint32_t>(m_session.maxPlayers));
    answer.U32(static_cast<uint32_t>(m_session.currentPlayers));
    answer.U8(static_cast<uint8_t>(m_session.ready));
    m_gameSocket.Send(from, answer.Data(), answer.Size());
}

bool NetworkLayer::ReadFileRequest(Reader& request, uint32_t* offset, char* path, int size) {
    const int cacheFile = request.U8();
    *offset = request.U32();
    char name[260];
    request.Text(name, sizeof name);
    IFileManager* files = ShellGetFileManager();
    ClearString(path);
    if (!request.Ok() || !files || IsEmptyString(name)) return false;
    if (cacheFile) {
        // A file of the joining side's cache: the same file of this side's cache.
        char cache[260] = "";
        char fileName[260] = "";
        files->fmgGetCacheDirectory(cache, sizeof cache);
        TerminateString(cache, sizeof cache);
        GetFileName(name, fileName, sizeof fileName);
        CombinePath(cache, fileName, path, size);
    } else {
        CopyString(path, name, size);
    }
    return true;
}

void NetworkLayer::AnswerFileInfo(Reader& request, const NetAddress& from) {
    uint32_t offset = 0;
    char path[260];
    const bool named = ReadFileRequest(request, &offset, path, sizeof path);
    IFileManager* files = ShellGetFileManager();
    Writer answer(kFileInfoAnswer, request.Request());
    const bool found = named && files->fmgFileExists(path, 0);
    const int size = found ? files->fmgGetFileSize(path) : 0;
    const bool served = found && size >= 0 && static_cast<uint32_t>(size) <= kMaxFileSize;
    answer.U8(served ? 1 : 0);
    answer.U32(served ? static_cast<uint32_t>(size) : 0);
    answer.U32(served ? files->fmgGetCheckSum(path) : 0);
    m_gameSocket.Send(from, answer.Data(), answer.Size());
}

void NetworkLayer::AnswerFileChunk(Reader& request, const NetAddress& from) {
    uint32_t offset = 0;
    char path[260];
    const bool named = ReadFileRequest(request, &offset, path, sizeof path);
    IFileManager* files = ShellGetFileManager();
    char bytes[kChunkSize];
    int got = -1;
    const int handle = named ? files->fmgOpenFile(path, 0) : -1;
    if (handle != -1) {
        if (offset <= kMaxFileSize && files->fmgSeekFile(handle, static_cast<int>(offset), 0) == static_cast<int>(offset))
            got = files->fmgReadFile(handle, bytes, sizeof bytes);
        files->fmgCloseFile(handle);
    }
    Writer answer(kFileChunkAnswer, request.Request());
    answer.U8(got >= 0 ? 1 : 0);
    answer.U32(offset);
    answer.U16(static_cast<uint16_t>(got > 0 ? got : 0));
    if (got > 0) answer.Bytes(bytes, static_cast<size_t>(got));
    m_gameSocket.Send(from, answer.Data(), answer.Size());
}
