// POSIX backend of the OS layer, for the development build on Linux. Paths come
// in with backslashes and are turned into '/' right at each OS call.
#include "platform.h"
#include "file_faults.h"
#include "pointer_table.h"

#include <dirent.h>
#include <dlfcn.h>
#include <link.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace plat {

namespace {

// A path converted for the OS: backslashes become slashes. Longer paths than
// the buffer holds are refused (empty result) rather than cut.
class OsPath {
public:
    explicit OsPath(const char* path) {
        m_ok = false;
        m_text[0] = 0;
        if (!path) return;
        size_t length = strlen(path);
        if (length >= sizeof m_text) return;
        for (size_t i = 0; i <= length; ++i) m_text[i] = path[i] == '\\' ? '/' : path[i];
        m_ok = length > 0;
    }
    bool ok() const { return m_ok; }
    const char* c_str() const { return m_text; }

private:
    char m_text[4096];
    bool m_ok;
};

void CopyAsSystemPath(char* buffer, size_t size, const char* path) {
    size_t i = 0;
    for (; path[i] && i + 1 < size; ++i) buffer[i] = path[i] == '/' ? '\\' : path[i];
    buffer[i] = 0;
}

}  // namespace

// ---- Lock -----------------------------------------------------------------
static_assert(sizeof(pthread_mutex_t) <= 64, "lock storage too small");

ReentrantLock::ReentrantLock() {
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(reinterpret_cast<pthread_mutex_t*>(m_storage), &attributes);
    pthread_mutexattr_destroy(&attributes);
}
ReentrantLock::~ReentrantLock() { pthread_mutex_destroy(reinterpret_cast<pthread_mutex_t*>(m_storage)); }
void ReentrantLock::Enter() { pthread_mutex_lock(reinterpret_cast<pthread_mutex_t*>(m_storage)); }
void ReentrantLock::Leave() { pthread_mutex_unlock(reinterpret_cast<pthread_mutex_t*>(m_storage)); }

// ---- Interlocked ----------------------------------------------------------
int32_t AtomicIncrement(volatile int32_t* value) { return __atomic_add_fetch(value, 1, __ATOMIC_SEQ_CST); }
int32_t AtomicDecrement(volatile int32_t* value) { return __atomic_sub_fetch(value, 1, __ATOMIC_SEQ_CST); }

// ---- Heap -----------------------------------------------------------------
// Blocks come from the C heap (so the sanitizers watch them); the heap keeps a
// table of its live blocks to answer ownership and size questions and to free
// what is left when it is destroyed.
namespace {

struct PosixHeap {
    pthread_mutex_t mutex;
    PointerTable blocks;
};

class HeapLock {
public:
    explicit HeapLock(PosixHeap* heap) : m_heap(heap) { pthread_mutex_lock(&m_heap->mutex); }
    ~HeapLock() { pthread_mutex_unlock(&m_heap->mutex); }
    HeapLock(const HeapLock&) = delete;
    HeapLock& operator=(const HeapLock&) = delete;

private:
    PosixHeap* m_heap;
};

}  // namespace

HeapHandle HeapCreatePrivate() {
    void* storage = calloc(1, sizeof(PosixHeap));
    if (!storage) return nullptr;
    PosixHeap* heap = new (storage) PosixHeap;  // placement: no allocation operator involved
    pthread_mutex_init(&heap->mutex, nullptr);
    return heap;
}

void* HeapAllocate(HeapHandle handle, size_t size) {
    PosixHeap* heap = static_cast<PosixHeap*>(handle);
    if (!heap) return nullptr;
    void* block = AllocateCBlock(size);
    if (!block) return nullptr;
#ifndef NDEBUG
    memset(block, kFreshBlockPoison, size ? size : 1);
#endif
    bool stored;
    {
        HeapLock lock(heap);
        stored = heap->blocks.Insert(block, size);
    }
    if (!stored) {
        ReleaseCBlock(block, size);
        return nullptr;
    }
    return block;
}

bool HeapOwns(HeapHandle handle, const void* block) {
    PosixHeap* heap = static_cast<PosixHeap*>(handle);
    if (!heap || !block) return false;
    HeapLock lock(heap);
    return heap->blocks.Contains(block);
}

bool HeapRelease(HeapHandle handle, void* block) {
    PosixHeap* heap = static_cast<PosixHeap*>(handle);
    if (!heap || !block) return false;
    bool removed;
    size_t size;
    {
        HeapLock lock(heap);
        size = heap->blocks.SizeOf(block);
        removed = heap->blocks.Remove(block);
    }
    if (removed) ReleaseCBlock(block, size);
    return removed;
}

size_t HeapBlockSize(HeapHandle handle, const void* block) {
    PosixHeap* heap = static_cast<PosixHeap*>(handle);
    if (!heap || !block) return 0;
    HeapLock lock(heap);
    return heap->blocks.SizeOf(block);
}

size_t HeapCompactPrivate(HeapHandle handle) {
    PosixHeap* heap = static_cast<PosixHeap*>(handle);
    if (!heap) return 0;
    // The C heap coalesces on its own; the table's tombstones go, and the
    // blocks kept for reuse go back to the system.
    {
        HeapLock lock(heap);
        heap->blocks.Compact();
    }
    ReleaseKeptCBlocks();
    return 0;
}

void HeapDestroyPrivate(HeapHandle handle) {
    PosixHeap* heap = static_cast<PosixHeap*>(handle);
    if (!heap) return;
    heap->blocks.ForEach([](void* block) { free(block); });
    heap->blocks.Release();
    ReleaseKeptCBlocks();  // a heap's end gives its memory back to the system
    pthread_mutex_destroy(&heap->mutex);
    heap->~PosixHeap();
    free(heap);
}

// ---- Dynamic libraries ----------------------------------------------------
static char g_loaderError[512];

LibraryHandle LibraryLoad(const char* path) {
    OsPath os(path);
    if (!os.ok()) return nullptr;
    void* library = dlopen(os.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* error = dlerror();
        snprintf(g_loaderError, sizeof g_loaderError, "%s", error ? error : "unknown error");
    }
    return library;
}

void* LibrarySymbol(LibraryHandle library, const char* name) {
    if (!library || !name) return nullptr;
    return dlsym(library, name);
}

LibraryHandle LibraryProgram() {
    static void* program = dlopen(nullptr, RTLD_NOW);
    return program;
}

bool LibraryFree(LibraryHandle library) { return library && dlclose(library) == 0; }

void LibraryDisableThreadCalls(LibraryHandle) {}

const char* LibraryLastError() { return g_loaderError; }

namespace {
struct LibraryNameSearch {
    LibraryHandle library;
    char* buffer;
    size_t size;
    bool found;
};
}  // namespace

// The handle is only compared, never followed: each loaded object is asked for
// its own handle by name, so an owner value that is no handle stays harmless.
bool LibraryFileName(LibraryHandle library, char* buffer, size_t size) {
    if (!buffer || size == 0) return false;
    buffer[0] = 0;
    if (!library) return false;
    LibraryNameSearch search = {library, buffer, size, false};
    dl_iterate_phdr(
        [](struct dl_phdr_info* info, size_t, void* context) -> int {
            LibraryNameSearch* s = static_cast<LibraryNameSearch*>(context);
            if (!info->dlpi_name || !*info->dlpi_name) return 0;
            void* handle = dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD);
            if (!handle) return 0;
            dlclose(handle);
            if (handle != s->library || strlen(info->dlpi_name) >= s->size) return 0;
            strcpy(s->buffer, info->dlpi_name);
            s->found = true;
            return 1;
        },
        &search);
    return search.found;
}

// ---- Files ----------------------------------------------------------------
int FileOpenRead(const char* path, AccessHint hint) {
    OsPath os(path);
    if (!os.ok()) return -1;
    int fd = open(os.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        struct stat info;
        if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
            close(fd);
            return -1;
        }
        posix_fadvise(fd, 0, 0, hint == AccessHint::Random ? POSIX_FADV_RANDOM : POSIX_FADV_SEQUENTIAL);
    }
    return fd;
}

int FileCreateWrite(const char* path, AccessHint) {
    OsPath os(path);
    if (!os.ok()) return -1;
    return open(os.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

int FileRead(int fd, void* buffer, uint32_t size) {
    if (fd < 0) return -1;
    return static_cast<int>(read(fd, buffer, size));
}

int FileWrite(int fd, const void* buffer, uint32_t size) {
    if (fd < 0 || FileFaultStrikes(FileOp::Write)) return -1;
    return static_cast<int>(write(fd, buffer, size));
}

int32_t FileSeek(int fd, int32_t offset, int origin) {
    if (fd < 0) return -1;
    int whence = origin == SeekSet ? SEEK_SET : origin == SeekCur ? SEEK_CUR : SEEK_END;
    off_t position = lseek(fd, offset, whence);
    if (position < 0 || position > INT32_MAX) return -1;
    return static_cast<int32_t>(position);
}

int32_t FileTell(int fd) { return FileSeek(fd, 0, SeekCur); }

int32_t FileLength(int fd) {
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0 || info.st_size > INT32_MAX) return -1;
    return static_cast<int32_t>(info.st_size);
}

bool FileFlushToDisk(int fd) { return fd >= 0 && !FileFaultStrikes(FileOp::Flush) && fsync(fd) == 0; }

int FileClose(int fd) {
    if (fd < 0) return -1;
    const int result = close(fd);
    return FileFaultStrikes(FileOp::Close) ? -1 : result;
}

bool FileDelete(const char* path) {
    OsPath os(path);
    return os.ok() && unlink(os.c_str()) == 0;
}

bool FileReplace(const char* source, const char* target) {
    OsPath from(source), to(target);
    return from.ok() && to.ok() && !FileFaultStrikes(FileOp::Replace) && rename(from.c_str(), to.c_str()) == 0;
}

bool FileIsWritable(const char* path) {
    OsPath os(path);
    if (!os.ok()) return false;
    int fd = open(os.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    close(fd);
    return true;
}

bool FileSetBinaryMode(int fd) { return fd >= 0; }

bool FileAppendRecord(const char* path, const void* data, uint32_t size) {
    OsPath os(path);
    if (!os.ok()) return false;
    int fd = open(os.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = write(fd, data, size) == static_cast<ssize_t>(size);
    close(fd);
    return ok;
}

bool FileIsPlain(const char* path) {
    OsPath os(path);
    struct stat info;
    return os.ok() && stat(os.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

// ---- Directories ----------------------------------------------------------
bool DirGetCurrent(char* buffer, size_t size) {
    if (!buffer || size == 0) return false;
    char path[4096];
    if (!getcwd(path, sizeof path)) return false;
    CopyAsSystemPath(buffer, size, path);
    return strlen(path) < size;
}

bool DirChange(const char* path) {
    OsPath os(path);
    return os.ok() && chdir(os.c_str()) == 0;
}

bool DirMake(const char* path) {
    OsPath os(path);
    return os.ok() && mkdir(os.c_str(), 0777) == 0;
}

bool DirExists(const char* path) {
    OsPath os(path);
    struct stat info;
    return os.ok() && stat(os.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

namespace {

// Wildcard match ignoring letter case: '*' any run, '?' one character.
bool WildcardMatch(const char* pattern, const char* name) {
    const char* starPattern = nullptr;
    const char* starName = nullptr;
    while (*name) {
        if (*pattern == '*') {
            starPattern = ++pattern;
            starName = name;
        } else if (*pattern == '?' ||
                   UpperChar(static_cast<unsigned char>(*pattern)) == UpperChar(static_cast<unsigned char>(*name))) {
            ++pattern;
            ++name;
        } else if (starPattern) {
            pattern = starPattern;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*pattern == '*') ++pattern;
    // A trailing ".*" also matches names without an extension ("*.*" is every name), as on Windows.
    if (pattern[0] == '.' && pattern[1] == '*' && pattern[2] == 0) return true;
    return *pattern == 0;
}

}  // namespace

int DirListFiles(const char* pattern, DirVisitor visit, void* context) {
    OsPath os(pattern);
    if (!os.ok()) return 0;
    char directory[4096];
    const char* slash = strrchr(os.c_str(), '/');
    const char* mask = slash ? slash + 1 : os.c_str();
    if (slash) {
        size_t length = static_cast<size_t>(slash - os.c_str());
        memcpy(directory, os.c_str(), length);
        directory[length] = 0;
        if (length == 0) strcpy(directory, "/");
    } else {
        strcpy(directory, ".");
    }
    DIR* dir = opendir(directory);
    if (!dir) return 0;
    int count = 0;
    while (struct dirent* entry = readdir(dir)) {
        if (!WildcardMatch(mask, entry->d_name)) continue;
        char full[4096 + 256 + 2];
        snprintf(full, sizeof full, "%s/%s", directory, entry->d_name);
        struct stat info;
        if (stat(full, &info) != 0 || S_ISDIR(info.st_mode)) continue;
        ++count;
        if (visit) visit(entry->d_name, context);
    }
    closedir(dir);
    return count;
}

bool DirTemp(char* buffer, size_t size) {
    if (!buffer || size == 0) return false;
    const char* temp = getenv("TMPDIR");
    if (!temp || !*temp) temp = "/tmp";
    char path[4096];
    snprintf(path, sizeof path, "%s", temp);
    size_t length = strlen(path);
    while (length > 1 && path[length - 1] == '/') path[--length] = 0;
    if (length >= size) return false;
    CopyAsSystemPath(buffer, size, path);
    return true;
}

// ---- Timer ----------------------------------------------------------------
bool TimerGetCaps(uint32_t* minPeriod, uint32_t* maxPeriod) {
    if (minPeriod) *minPeriod = 1;
    if (maxPeriod) *maxPeriod = 1000000;
    return true;
}
bool TimerBeginPeriod(uint32_t period) { return period >= 1; }
bool TimerEndPeriod(uint32_t period) { return period >= 1; }

uint32_t TimerTime() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

// ---- Environment ----------------------------------------------------------
bool EnvGet(const char* name, char* buffer, size_t size) {
    if (!name || !*name || !buffer || size == 0) return false;
    buffer[0] = 0;
    const char* value = getenv(name);
    if (!value || !*value || strlen(value) >= size) return false;
    memcpy(buffer, value, strlen(value) + 1);
    return true;
}

bool EnvSet(const char* name, const char* value) {
    if (!name || !*name) return false;
    if (!value || !*value) return unsetenv(name) == 0;
    return setenv(name, value, 1) == 0;
}

// ---- Miscellaneous --------------------------------------------------------
void SleepMs(uint32_t milliseconds) {
    timespec duration;
    duration.tv_sec = milliseconds / 1000;
    duration.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
    while (nanosleep(&duration, &duration) != 0) {
    }
}

uint64_t TotalPhysicalMemory() {
    long pages = sysconf(_SC_PHYS_PAGES);
    long size = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || size <= 0) return 0;
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(size);
}

uint32_t PageSize() {
    long size = sysconf(_SC_PAGESIZE);
    return size > 0 ? static_cast<uint32_t>(size) : 4096u;
}

uint32_t CurrentThreadId() { return static_cast<uint32_t>(syscall(SYS_gettid)); }

double ProcessorSeconds() {
    timespec used;
    if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used) != 0) return 0.0;
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

// ---- Multibyte text -------------------------------------------------------
bool IsLeadByte(unsigned char) { return false; }

static unsigned g_codePage = 0;

bool SetMultibyteCodePage(unsigned codePage) {
    // Single-byte code pages only.
    if (codePage != 1252 && codePage != 0) return false;
    g_codePage = codePage;
    return true;
}

unsigned GetMultibyteCodePage() { return g_codePage; }

}  // namespace plat
