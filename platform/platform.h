// The operating-system layer. Everything the portable code needs from the OS is
// declared here; platform_win32.cpp implements it with the Win32 API and the C
// runtime, platform_posix.cpp with POSIX. No other portable folder includes
// <windows.h> or POSIX headers.
//
// Paths handed to this layer use backslashes, as everywhere in the system; the
// posix backend turns them into '/' at the OS call and nowhere else. Paths it
// hands back (the current directory) use backslashes too.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plat {

// ---- Re-entrant lock (a critical section on Windows) ----------------------
class ReentrantLock {
public:
    ReentrantLock();
    ~ReentrantLock();
    ReentrantLock(const ReentrantLock&) = delete;
    ReentrantLock& operator=(const ReentrantLock&) = delete;
    void Enter();
    void Leave();

private:
    alignas(8) unsigned char m_storage[64];
};

class LockGuard {
public:
    explicit LockGuard(ReentrantLock& lock) : m_lock(lock) { m_lock.Enter(); }
    ~LockGuard() { m_lock.Leave(); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    ReentrantLock& m_lock;
};

// ---- Interlocked counters: return the new value ---------------------------
int32_t AtomicIncrement(volatile int32_t* value);
int32_t AtomicDecrement(volatile int32_t* value);

// ---- Private growable heap ------------------------------------------------
using HeapHandle = void*;
HeapHandle HeapCreatePrivate();                     // null on failure
// Blocks are not zeroed. Builds with assertions fill every fresh block with
// kFreshBlockPoison, so that code reading memory it never wrote shows up in
// tests instead of seeing zeros by chance.
void* HeapAllocate(HeapHandle heap, size_t size);   // null on failure
const unsigned char kFreshBlockPoison = 0xA5;
bool HeapRelease(HeapHandle heap, void* block);     // false for a block not of this heap
bool HeapOwns(HeapHandle heap, const void* block);  // block was allocated here and not freed
size_t HeapBlockSize(HeapHandle heap, const void* block);
size_t HeapCompactPrivate(HeapHandle heap);         // largest free block after compaction (0: unknown)
void HeapDestroyPrivate(HeapHandle heap);           // frees every block still allocated
// A block of the C heap, given back with ReleaseCBlock and the size asked
// for. Not zeroed; null on failure.
void* AllocateCBlock(size_t size);
void ReleaseCBlock(void* block, size_t size);
#ifndef _WIN32
// Posix only (c_blocks_posix.cpp), tuned for big documents and file reads: a
// block of 2 MiB or more is backed by large pages where the system offers them
// (a few page faults instead of thousands), other blocks of 128 KiB or more
// start on a page boundary, and a block of 128 KiB or more that is given back
// is kept (up to 64 MiB in all) for the next request it fits instead of going
// back to the system and being faulted in, zeroed, again. The Win32 backend
// hands out the C runtime's blocks as they come.
//
// Returns the kept blocks to the system (compacting or destroying a private
// heap does too), and how many bytes are kept now.
void ReleaseKeptCBlocks();
size_t KeptCBlockBytes();
#endif

// ---- Dynamic libraries ----------------------------------------------------
using LibraryHandle = void*;
LibraryHandle LibraryLoad(const char* path);        // null on failure
void* LibrarySymbol(LibraryHandle library, const char* name);
// The running program itself, for LibrarySymbol (never to be freed).
LibraryHandle LibraryProgram();
bool LibraryFree(LibraryHandle library);
void LibraryDisableThreadCalls(LibraryHandle library);
// Text of the last loader failure, said for a reader ("no such file", "not a
// 64-bit Windows DLL", ...); never null.
const char* LibraryLastError();
// The file name (with its directory) a loaded library was loaded from, bounded
// and terminated; false (buffer "") for a handle that is no loaded library.
bool LibraryFileName(LibraryHandle library, char* buffer, size_t size);

// ---- File descriptors through the C runtime -------------------------------
enum class AccessHint { Random, Sequential };
int FileOpenRead(const char* path, AccessHint hint);  // binary mode; -1 on failure
// Create or truncate for writing, binary mode, read+write permission for a new file.
int FileCreateWrite(const char* path, AccessHint hint);
int FileRead(int fd, void* buffer, uint32_t size);          // bytes read, -1 on error
int FileWrite(int fd, const void* buffer, uint32_t size);   // bytes written, -1 on error
enum SeekOrigin { SeekSet = 0, SeekCur = 1, SeekEnd = 2 };
int32_t FileSeek(int fd, int32_t offset, int origin);       // new position, -1 on error
int32_t FileTell(int fd);
int32_t FileLength(int fd);                                  // size of an open descriptor, -1 on error
bool FileFlushToDisk(int fd);                                // the data reached the storage
int FileClose(int fd);                                       // 0 on success
bool FileDelete(const char* path);
bool FileReplace(const char* source, const char* target);   // rename over an existing target
bool FileIsPlain(const char* path);                          // exists and is not a directory
// An existing file that may be opened for writing (its contents are not touched).
bool FileIsWritable(const char* path);
// Turns off text-mode translation of a descriptor (standard output of a tool
// that writes bytes); nothing to do on posix.
bool FileSetBinaryMode(int fd);
// Appends size bytes to the end of the file (created when missing) with one
// write, so that whole records from several threads and processes never mix.
bool FileAppendRecord(const char* path, const void* data, uint32_t size);

// ---- File fault injection (tests) -----------------------------------------
// Makes a file operation fail as a full disk or a failing device would, so
// that the code handling such failures can be tested: after FileFailNth(op, n)
// the n-th call of op from then on fails, once (1: the next call); 0 disarms.
// A failed write writes nothing, a failed flush or replace changes nothing, a
// failed close still releases the descriptor.
enum class FileOp { Write, Flush, Close, Replace, Count };
void FileFailNth(FileOp op, int n);

// ---- Directories ----------------------------------------------------------
// Current directory into buffer (backslashes), bounded and terminated; false on failure.
bool DirGetCurrent(char* buffer, size_t size);
bool DirChange(const char* path);
bool DirMake(const char* path);
bool DirExists(const char* path);
// Calls visit(name, context) for every non-directory entry matching a wildcard
// pattern ("*" any run, "?" one character; "*.*" matches every name, as on
// Windows; letter case ignored). Returns the number of names visited.
using DirVisitor = void (*)(const char* name, void* context);
int DirListFiles(const char* pattern, DirVisitor visit, void* context);
// A directory for temporary files (backslashes, no trailing separator).
bool DirTemp(char* buffer, size_t size);

// ---- Multimedia timer -----------------------------------------------------
bool TimerGetCaps(uint32_t* minPeriod, uint32_t* maxPeriod);
bool TimerBeginPeriod(uint32_t period);
bool TimerEndPeriod(uint32_t period);
uint32_t TimerTime();  // milliseconds, wraps at 2^32

// ---- Process environment (shared by every module of the process) ---------
// The value of name into buffer, terminated; false when it is not set or does
// not fit (nothing is cut).
bool EnvGet(const char* name, char* buffer, size_t size);
// Sets name to value for this process and the programs it starts; a null or
// empty value removes it.
bool EnvSet(const char* name, const char* value);

// ---- Miscellaneous --------------------------------------------------------
void SleepMs(uint32_t milliseconds);
uint64_t TotalPhysicalMemory();
uint32_t PageSize();
uint32_t CurrentThreadId();
// Processor time this process has used, user and kernel, in seconds.
double ProcessorSeconds();

// ---- Multibyte text in the ANSI code page ---------------------------------
// On Windows the C runtime's multibyte code page decides which bytes lead a
// double-byte character; the posix backend is single-byte.
bool IsLeadByte(unsigned char byte);
// Position of the character after the one at text (a lead byte and its trail
// byte count as one; a lead byte before the terminator counts alone).
const char* NextChar(const char* text);
void UpperInPlace(char* text);  // letter case of single-byte characters only
void LowerInPlace(char* text);
bool IsSpace(unsigned char byte);  // 0x09-0x0D and 0x20
int UpperChar(unsigned char byte);
int LowerChar(unsigned char byte);
// Selects the multibyte code page (tests use 932 to prove double-byte awareness).
// Returns false when the code page is not available; posix accepts only single-byte.
bool SetMultibyteCodePage(unsigned codePage);
// The multibyte code page in force (0: single-byte), so that it can be restored.
unsigned GetMultibyteCodePage();

}  // namespace plat
