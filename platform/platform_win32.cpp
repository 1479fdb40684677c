// Win32 backend of the OS layer: kernel objects, the C runtime's descriptors,
// the multimedia timer and the C runtime's multibyte tables.
#include "platform.h"
#include "file_faults.h"

#include <windows.h>
#include <mmsystem.h>
#include <fcntl.h>
#include <io.h>
#include <mbctype.h>
#include <sys/stat.h>
#include <direct.h>

#include <cstdio>
#include <cstring>

namespace plat {

// ---- Lock -----------------------------------------------------------------
static_assert(sizeof(CRITICAL_SECTION) <= 64, "lock storage too small");

ReentrantLock::ReentrantLock() {
    InitializeCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(m_storage));
}
ReentrantLock::~ReentrantLock() {
    DeleteCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(m_storage));
}
void ReentrantLock::Enter() { EnterCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(m_storage)); }
void ReentrantLock::Leave() { LeaveCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(m_storage)); }

// ---- Interlocked ----------------------------------------------------------
static_assert(sizeof(LONG) == sizeof(int32_t), "LONG is 32-bit");
int32_t AtomicIncrement(volatile int32_t* value) {
    return InterlockedIncrement(reinterpret_cast<volatile LONG*>(value));
}
int32_t AtomicDecrement(volatile int32_t* value) {
    return InterlockedDecrement(reinterpret_cast<volatile LONG*>(value));
}

// ---- Heap -----------------------------------------------------------------
HeapHandle HeapCreatePrivate() { return HeapCreate(0, 0, 0); }

void* HeapAllocate(HeapHandle heap, size_t size) {
    if (!heap) return nullptr;
    void* block = HeapAlloc(static_cast<HANDLE>(heap), 0, size ? size : 1);
#ifndef NDEBUG
    if (block) memset(block, kFreshBlockPoison, size ? size : 1);
#endif
    return block;
}

// The C runtime's blocks as they come: large pages need a privilege a game
// does not hold, and Windows heaps keep freed memory themselves.
void* AllocateCBlock(size_t size) { return malloc(size ? size : 1); }
void ReleaseCBlock(void* block, size_t) { free(block); }

bool HeapOwns(HeapHandle heap, const void* block) {
    return heap && block && HeapValidate(static_cast<HANDLE>(heap), 0, block);
}

bool HeapRelease(HeapHandle heap, void* block) {
    if (!HeapOwns(heap, block)) return false;
    return HeapFree(static_cast<HANDLE>(heap), 0, block) != 0;
}

size_t HeapBlockSize(HeapHandle heap, const void* block) {
    if (!HeapOwns(heap, block)) return 0;
    SIZE_T size = HeapSize(static_cast<HANDLE>(heap), 0, block);
    return size == static_cast<SIZE_T>(-1) ? 0 : size;
}

size_t HeapCompactPrivate(HeapHandle heap) {
    return heap ? HeapCompact(static_cast<HANDLE>(heap), 0) : 0;
}

void HeapDestroyPrivate(HeapHandle heap) {
    if (heap) HeapDestroy(static_cast<HANDLE>(heap));
}

// ---- Dynamic libraries ----------------------------------------------------
static char g_loaderError[128];

LibraryHandle LibraryLoad(const char* path) {
    if (!path || !*path) return nullptr;
    // No "cannot find module" dialog boxes when a module is missing.
    UINT old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryA(path);
    if (!module) {
        const DWORD error = GetLastError();
        const bool present = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
        const char* reason = "cannot be loaded";
        switch (error) {
        case ERROR_MOD_NOT_FOUND:
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            // The loader says the same when a DLL the file needs is missing.
            reason = present ? "a DLL it needs is missing" : "no such file";
            break;
        case ERROR_BAD_EXE_FORMAT:
        case ERROR_EXE_MACHINE_TYPE_MISMATCH:
            reason = sizeof(void*) == 8 ? "not a 64-bit Windows DLL" : "not a 32-bit Windows DLL";
            break;
        case ERROR_DLL_INIT_FAILED:
            reason = "its DllMain refused to load";
            break;
        case ERROR_ACCESS_DENIED:
            reason = "access denied";
            break;
        }
        snprintf(g_loaderError, sizeof g_loaderError, "%s (error %lu)", reason, error);
    }
    SetErrorMode(old);
    return module;
}

void* LibrarySymbol(LibraryHandle library, const char* name) {
    if (!library || !name) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

LibraryHandle LibraryProgram() { return GetModuleHandleA(nullptr); }

bool LibraryFree(LibraryHandle library) {
    return library && FreeLibrary(static_cast<HMODULE>(library));
}

void LibraryDisableThreadCalls(LibraryHandle library) {
    if (library) DisableThreadLibraryCalls(static_cast<HMODULE>(library));
}

const char* LibraryLastError() { return g_loaderError; }

bool LibraryFileName(LibraryHandle library, char* buffer, size_t size) {
    if (!buffer || size == 0) return false;
    buffer[0] = 0;
    if (!library) return false;
    const DWORD length = GetModuleFileNameA(static_cast<HMODULE>(library), buffer, static_cast<DWORD>(size));
    // A name cut to the buffer is no name.
    if (length == 0 || length >= size) {
        buffer[0] = 0;
        return false;
    }
    return true;
}

// ---- Files ----------------------------------------------------------------
int FileOpenRead(const char* path, AccessHint hint) {
    if (!path || !*path) return -1;
    int flags = _O_RDONLY | _O_BINARY | (hint == AccessHint::Random ? _O_RANDOM : _O_SEQUENTIAL);
    return _open(path, flags);
}

int FileCreateWrite(const char* path, AccessHint hint) {
    if (!path || !*path) return -1;
    int flags = _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY |
                (hint == AccessHint::Random ? _O_RANDOM : _O_SEQUENTIAL);
    return _open(path, flags, _S_IREAD | _S_IWRITE);
}

int FileRead(int fd, void* buffer, uint32_t size) {
    if (fd < 0) return -1;
    return _read(fd, buffer, size);
}

int FileWrite(int fd, const void* buffer, uint32_t size) {
    if (fd < 0 || FileFaultStrikes(FileOp::Write)) return -1;
    return _write(fd, buffer, size);
}

int32_t FileSeek(int fd, int32_t offset, int origin) {
    if (fd < 0) return -1;
    return _lseek(fd, offset, origin);
}

int32_t FileTell(int fd) { return fd < 0 ? -1 : _tell(fd); }

int32_t FileLength(int fd) { return fd < 0 ? -1 : _filelength(fd); }

bool FileFlushToDisk(int fd) { return fd >= 0 && !FileFaultStrikes(FileOp::Flush) && _commit(fd) == 0; }

int FileClose(int fd) {
    if (fd < 0) return -1;
    const int result = _close(fd);
    return FileFaultStrikes(FileOp::Close) ? -1 : result;
}

bool FileDelete(const char* path) { return path && *path && DeleteFileA(path); }

bool FileReplace(const char* source, const char* target) {
    if (!source || !target || FileFaultStrikes(FileOp::Replace)) return false;
    return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool FileIsWritable(const char* path) {
    if (!path || !*path) return false;
    int fd = _open(path, _O_WRONLY | _O_BINARY);
    if (fd < 0) return false;
    _close(fd);
    return true;
}

bool FileSetBinaryMode(int fd) { return fd >= 0 && _setmode(fd, _O_BINARY) != -1; }

bool FileAppendRecord(const char* path, const void* data, uint32_t size) {
    if (!path || !*path) return false;
    // Opened for appending only, every write lands at the end of the file as a
    // whole, whoever else has it open.
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    // Not every system makes an append atomic between processes: writers also
    // take turns on one byte far beyond any data, a lock every writer of this
    // file shares and no reader ever meets.
    OVERLAPPED turn = {};
    turn.OffsetHigh = 0x40000000;
    bool locked = LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &turn) != 0;
    DWORD written = 0;
    bool ok = WriteFile(file, data, size, &written, nullptr) && written == size;
    if (locked) UnlockFileEx(file, 0, 1, 0, &turn);
    CloseHandle(file);
    return ok;
}

bool FileIsPlain(const char* path) {
    if (!path || !*path) return false;
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// ---- Directories ----------------------------------------------------------
bool DirGetCurrent(char* buffer, size_t size) {
    if (!buffer || size == 0) return false;
    char path[MAX_PATH + 1];
    DWORD length = GetCurrentDirectoryA(sizeof path, path);
    if (length == 0 || length >= sizeof path) return false;
    strncpy(buffer, path, size - 1);
    buffer[size - 1] = 0;
    return length < size;
}

bool DirChange(const char* path) { return path && *path && SetCurrentDirectoryA(path); }

bool DirMake(const char* path) { return path && *path && CreateDirectoryA(path, nullptr); }

bool DirExists(const char* path) {
    if (!path || !*path) return false;
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int DirListFiles(const char* pattern, DirVisitor visit, void* context) {
    if (!pattern || !*pattern) return 0;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern, &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        ++count;
        if (visit) visit(data.cFileName, context);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return count;
}

bool DirTemp(char* buffer, size_t size) {
    if (!buffer || size == 0) return false;
    char path[MAX_PATH + 1];
    DWORD length = GetTempPathA(sizeof path, path);
    if (length == 0 || length >= sizeof path) return false;
    if (length > 3 && path[length - 1] == '\\') path[--length] = 0;
    if (length >= size) return false;
    memcpy(buffer, path, length + 1);
    return true;
}

// ---- Timer ----------------------------------------------------------------
bool TimerGetCaps(uint32_t* minPeriod, uint32_t* maxPeriod) {
    TIMECAPS caps;
    if (timeGetDevCaps(&caps, sizeof caps) != TIMERR_NOERROR) return false;
    if (minPeriod) *minPeriod = caps.wPeriodMin;
    if (maxPeriod) *maxPeriod = caps.wPeriodMax;
    return true;
}
bool TimerBeginPeriod(uint32_t period) { return timeBeginPeriod(period) == TIMERR_NOERROR; }
bool TimerEndPeriod(uint32_t period) { return timeEndPeriod(period) == TIMERR_NOERROR; }
uint32_t TimerTime() { return timeGetTime(); }

// ---- Environment ----------------------------------------------------------
// The process environment block itself, not a C runtime copy, so that every
// module of the process sees the same values.
bool EnvGet(const char* name, char* buffer, size_t size) {
    if (!name || !*name || !buffer || size == 0 || size > 0x7fffffff) return false;
    buffer[0] = 0;
    DWORD length = GetEnvironmentVariableA(name, buffer, static_cast<DWORD>(size));
    if (length == 0 || length >= size) {
        buffer[0] = 0;
        return false;
    }
    return true;
}

bool EnvSet(const char* name, const char* value) {
    if (!name || !*name) return false;
    return SetEnvironmentVariableA(name, value && *value ? value : nullptr) != 0 || !value || !*value;
}

// ---- Miscellaneous --------------------------------------------------------
void SleepMs(uint32_t milliseconds) { Sleep(milliseconds); }

uint64_t TotalPhysicalMemory() {
    MEMORYSTATUSEX status;
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) return 0;
    return status.ullTotalPhys;
}

uint32_t PageSize() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
}

uint32_t CurrentThreadId() { return GetCurrentThreadId(); }

double ProcessorSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0.0;
    auto ticks = [](const FILETIME& time) {  // 100-nanosecond units
        return static_cast<double>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 1e7;
}

// ---- Multibyte text -------------------------------------------------------
bool IsLeadByte(unsigned char byte) { return _ismbblead(byte) != 0; }

bool SetMultibyteCodePage(unsigned codePage) { return _setmbcp(static_cast<int>(codePage)) == 0; }

unsigned GetMultibyteCodePage() { return static_cast<unsigned>(_getmbcp()); }

}  // namespace plat
