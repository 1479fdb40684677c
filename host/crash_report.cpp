// The crash report. The heap may be what broke, so the report is built in
// buffers reserved here, and written section by section: a second fault while
// reporting ends the process at once, and what was written by then stays on
// disk. The report is made on a thread of its own, with a fresh stack (the
// faulting one may have overflowed) and a message queue of its own for the box.
#include "host/crash_report.h"

#include "host/message_box.h"
#include "shell/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <windows.h>
#include <dbghelp.h>
#include <psapi.h>

namespace {

const char kReportName[] = "Varn-crash.txt";
const char kDumpName[] = "Varn-crash.dmp";
const char kBoxCaption[] = "Varn";
const int kMaxFrames = 64;
const int kMaxModules = 512;
const DWORD kLogTailBytes = 4096;
const DWORD kReporterStack = 256 * 1024;
// A fault inside the heap (or the loader) leaves its lock held by the faulting
// thread, and a new thread waits for it for ever before it runs a line of its
// own: when the reporter has not started after kStartLimitMs, the faulting
// thread writes what it can without the loader (ReportWithoutLoader). A
// reporter that makes no progress for kStallLimitMs before the files are
// written is given up: the process ends with what was written by then. The
// box may stay up for as long as the player wants.
const DWORD kStartLimitMs = 3000;
const DWORD kStallLimitMs = 30000;
const DWORD kWaitStepMs = 100;

struct Crash {
    EXCEPTION_POINTERS* pointers;
    DWORD code;
    DWORD threadId;
    HANDLE thread;  // the faulting thread, for the stack walk
};

Crash g_crash;
volatile LONG g_reporting = 0;
volatile LONG g_reporter = 0;  // who makes the report: 1 the reporter thread, 2 the faulting thread
volatile LONG g_progress = 0;  // steps done, counted by whoever makes the report
volatile LONG g_filesWritten = 0;
volatile LONG g_showBox = 1;
char g_reportPath[MAX_PATH];
char g_dumpPath[MAX_PATH];

// The reserved buffers.
char g_text[16384];
size_t g_used;
char g_summary[512];
char g_modulePath[MAX_PATH];
char g_logTail[kLogTailBytes];
HMODULE g_modules[kMaxModules];
CONTEXT g_walkContext;

__attribute__((format(printf, 1, 2))) void Append(const char* format, ...) {
    if (g_used >= sizeof g_text - 1) return;
    va_list values;
    va_start(values, format);
    int written = vsnprintf(g_text + g_used, sizeof g_text - g_used, format, values);
    va_end(values);
    if (written < 0) return;
    g_used += static_cast<size_t>(written);
    if (g_used > sizeof g_text - 1) g_used = sizeof g_text - 1;  // cut: the text was truncated
}

void Flush(HANDLE file) {
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE && g_used) WriteFile(file, g_text, static_cast<DWORD>(g_used), &written, nullptr);
    g_used = 0;
}

const char* ExceptionName(DWORD code) {
    switch (code) {
        case EXCEPTION_ACCESS_VIOLATION: return "access violation";
        case EXCEPTION_ARRAY_BOUNDS_EXCEEDED: return "array bounds exceeded";
        case EXCEPTION_BREAKPOINT: return "breakpoint";
        case EXCEPTION_DATATYPE_MISALIGNMENT: return "datatype misalignment";
        case EXCEPTION_FLT_DENORMAL_OPERAND: return "floating-point denormal operand";
        case EXCEPTION_FLT_DIVIDE_BY_ZERO: return "floating-point division by zero";
        case EXCEPTION_FLT_INEXACT_RESULT: return "floating-point inexact result";
        case EXCEPTION_FLT_INVALID_OPERATION: return "floating-point invalid operation";
        case EXCEPTION_FLT_OVERFLOW: return "floating-point overflow";
        case EXCEPTION_FLT_STACK_CHECK: return "floating-point stack check";
        case EXCEPTION_FLT_UNDERFLOW: return "floating-point underflow";
        case EXCEPTION_ILLEGAL_INSTRUCTION: return "illegal instruction";
        case EXCEPTION_IN_PAGE_ERROR: return "in-page error";
        case EXCEPTION_INT_DIVIDE_BY_ZERO: return "integer division by zero";
        case EXCEPTION_INT_OVERFLOW: return "integer overflow";
        case EXCEPTION_INVALID_DISPOSITION: return "invalid disposition";
        case EXCEPTION_NONCONTINUABLE_EXCEPTION: return "noncontinuable exception";
        case EXCEPTION_PRIV_INSTRUCTION: return "privileged instruction";
        case EXCEPTION_SINGLE_STEP: return "single step";
        case EXCEPTION_STACK_OVERFLOW: return "stack overflow";
        case 0xC0000374: return "heap corruption";
        case 0xC0000409: return "stack buffer overrun";
        case 0xE06D7363: return "C++ exception";
        default: return "exception";
    }
}

const char* FileNameOf(const char* path) {
    const char* name = path;
    for (const char* at = path; *at; ++at)
        if (*at == '\\' || *at == '/') name = at + 1;
    return name;
}

// Set while the faulting thread reports by itself, next to a reporter thread
// that could not start: that thread may hold the loader's lock, so nothing
// may take it (module look-ups, file names through the loader, dbghelp).
bool g_withoutLoader = false;
WCHAR g_mappedName[MAX_PATH];

// The image mapped at address, found without the loader: its base from the
// memory map, its path from the mapped file's name (characters outside ASCII
// become '?', as no conversion that may allocate is made).
HMODULE MappedImageAt(DWORD64 address) {
    MEMORY_BASIC_INFORMATION region;
    const void* at = reinterpret_cast<const void*>(static_cast<uintptr_t>(address));
    if (!VirtualQuery(at, &region, sizeof region) || region.Type != MEM_IMAGE || !region.AllocationBase)
        return nullptr;
    const DWORD length = GetMappedFileNameW(GetCurrentProcess(), region.AllocationBase, g_mappedName, MAX_PATH);
    DWORD i = 0;
    for (; i < length && i < sizeof g_modulePath - 1; ++i)
        g_modulePath[i] = g_mappedName[i] < 0x80 ? static_cast<char>(g_mappedName[i]) : '?';
    g_modulePath[i] = 0;
    return static_cast<HMODULE>(region.AllocationBase);
}

// The module that holds address: its base, and its path in g_modulePath.
// Null (and an empty path) when the address is in no module.
HMODULE ModuleAt(DWORD64 address) {
    HMODULE module = nullptr;
    g_modulePath[0] = 0;
    if (g_withoutLoader) return MappedImageAt(address);
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(address)), &module))
        return nullptr;
    if (!GetModuleFileNameA(module, g_modulePath, sizeof g_modulePath)) g_modulePath[0] = 0;
    g_modulePath[sizeof g_modulePath - 1] = 0;
    return module;
}

// "Name.dll+0x1a2b", or the bare address outside every module.
void AppendPlace(DWORD64 address) {
    if (HMODULE module = ModuleAt(address))
        Append("%s+0x%llx", FileNameOf(g_modulePath),
               static_cast<unsigned long long>(address - reinterpret_cast<uintptr_t>(module)));
    else
        Append("0x%llx (in no module)", static_cast<unsigned long long>(address));
}

// The one-line summary the log and the box show.
void MakeSummary(const char* reportName) {
    const DWORD64 address = reinterpret_cast<uintptr_t>(g_crash.pointers->ExceptionRecord->ExceptionAddress);
    const char* name = ExceptionName(g_crash.code);
    if (HMODULE module = ModuleAt(address))
        snprintf(g_summary, sizeof g_summary, "Varn stopped: %s in %s at +0x%llx. Details: %s", name,
                 FileNameOf(g_modulePath), static_cast<unsigned long long>(address - reinterpret_cast<uintptr_t>(module)),
                 reportName);
    else
        snprintf(g_summary, sizeof g_summary, "Varn stopped: %s at 0x%llx. Details: %s", name,
                 static_cast<unsigned long long>(address), reportName);
}

void AppendException() {
    const EXCEPTION_RECORD& record = *g_crash.pointers->ExceptionRecord;
    SYSTEMTIME now;
    GetLocalTime(&now);
    Append("Varn crash report, %04u-%02u-%02u %02u:%02u:%02u\r\n\r\n%s\r\n\r\n", now.wYear, now.wMonth, now.wDay,
           now.wHour, now.wMinute, now.wSecond, g_summary);
    Append("Exception: 0x%08lx (%s)", static_cast<unsigned long>(g_crash.code), ExceptionName(g_crash.code));
    if (g_crash.code == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2) {
        const ULONG_PTR kind = record.ExceptionInformation[0];
        Append(", %s address 0x%llx", kind == 0 ? "reading" : kind == 1 ? "writing" : "executing at",
               static_cast<unsigned long long>(record.ExceptionInformation[1]));
    }
    Append("\r\nAt: ");
    AppendPlace(reinterpret_cast<uintptr_t>(record.ExceptionAddress));
    Append(" (0x%llx)\r\nModule: %s\r\nThread: %lu\r\n\r\nRegisters:\r\n",
           static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(record.ExceptionAddress)),
           g_modulePath[0] ? g_modulePath : "(none)", static_cast<unsigned long>(g_crash.threadId));
    const CONTEXT& c = *g_crash.pointers->ContextRecord;
#if defined(__x86_64__) || defined(_M_X64)
    Append("  rax=%016llx rbx=%016llx rcx=%016llx rdx=%016llx\r\n", c.Rax, c.Rbx, c.Rcx, c.Rdx);
    Append("  rsi=%016llx rdi=%016llx rbp=%016llx rsp=%016llx\r\n", c.Rsi, c.Rdi, c.Rbp, c.Rsp);
    Append("  r8 =%016llx r9 =%016llx r10=%016llx r11=%016llx\r\n", c.R8, c.R9, c.R10, c.R11);
    Append("  r12=%016llx r13=%016llx r14=%016llx r15=%016llx\r\n", c.R12, c.R13, c.R14, c.R15);
    Append("  rip=%016llx eflags=%08lx\r\n", c.Rip, static_cast<unsigned long>(c.EFlags));
#else
    Append("  eax=%08lx ebx=%08lx ecx=%08lx edx=%08lx\r\n", c.Eax, c.Ebx, c.Ecx, c.Edx);
    Append("  esi=%08lx edi=%08lx ebp=%08lx esp=%08lx\r\n", c.Esi, c.Edi, c.Ebp, c.Esp);
    Append("  eip=%08lx eflags=%08lx\r\n", c.Eip, c.EFlags);
#endif
}

// The faulting thread's stack from the fault's context, one module+offset per
// frame. The 32-bit build may lack frame pointers, so past the first frames
// the walk is best effort.
void AppendStack() {
    Append("\r\nStack (deeper frames are best effort):\r\n");
    HANDLE process = GetCurrentProcess();
    SymSetOptions(SYMOPT_DEFERRED_LOADS | SYMOPT_FAIL_CRITICAL_ERRORS | SYMOPT_NO_PROMPTS);
    const bool symbols = SymInitialize(process, nullptr, TRUE) != FALSE;
    g_walkContext = *g_crash.pointers->ContextRecord;
    STACKFRAME64 frame;
    memset(&frame, 0, sizeof frame);
#if defined(__x86_64__) || defined(_M_X64)
    const DWORD machine = IMAGE_FILE_MACHINE_AMD64;
    frame.AddrPC.Offset = g_walkContext.Rip;
    frame.AddrFrame.Offset = g_walkContext.Rbp;
    frame.AddrStack.Offset = g_walkContext.Rsp;
#else
    const DWORD machine = IMAGE_FILE_MACHINE_I386;
    frame.AddrPC.Offset = g_walkContext.Eip;
    frame.AddrFrame.Offset = g_walkContext.Ebp;
    frame.AddrStack.Offset = g_walkContext.Esp;
#endif
    frame.AddrPC.Mode = frame.AddrFrame.Mode = frame.AddrStack.Mode = AddrModeFlat;
    int frames = 0;
    while (symbols && frames < kMaxFrames &&
           StackWalk64(machine, process, g_crash.thread, &frame, &g_walkContext, nullptr, SymFunctionTableAccess64,
                       SymGetModuleBase64, nullptr)) {
        if (frame.AddrPC.Offset == 0) break;
        Append("  #%-2d ", frames++);
        AppendPlace(frame.AddrPC.Offset);
        Append("\r\n");
    }
    if (frames == 0) {  // no walk: the fault's own address is frame 0
        Append("  #0  ");
        AppendPlace(reinterpret_cast<uintptr_t>(g_crash.pointers->ExceptionRecord->ExceptionAddress));
        Append("\r\n");
    }
    if (symbols) SymCleanup(process);
}

void AppendModules() {
    Append("\r\nLoaded modules (base, file):\r\n");
    DWORD bytes = 0;
    if (!EnumProcessModules(GetCurrentProcess(), g_modules, sizeof g_modules, &bytes)) return;
    DWORD count = bytes / sizeof(HMODULE);
    if (count > static_cast<DWORD>(kMaxModules)) count = kMaxModules;
    for (DWORD i = 0; i < count; ++i) {
        if (!GetModuleFileNameA(g_modules[i], g_modulePath, sizeof g_modulePath)) continue;
        g_modulePath[sizeof g_modulePath - 1] = 0;
        Append("  0x%0*llx  %s\r\n", static_cast<int>(2 * sizeof(void*)),
               static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(g_modules[i])), g_modulePath);
    }
}

// The last whole lines of the log file, when [Debug] LogFile is on: every
// deliverable appends its lines there, so the modules' lines are among them.
void WriteLogTail(HANDLE report) {
    const char* logFile = LogGetFile();
    if (!logFile || !logFile[0]) return;
    HANDLE log = CreateFileA(logFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return;
    LARGE_INTEGER size;
    DWORD read = 0;
    bool cut = false;
    if (GetFileSizeEx(log, &size)) {
        LARGE_INTEGER from;
        from.QuadPart = size.QuadPart > kLogTailBytes ? size.QuadPart - kLogTailBytes : 0;
        cut = from.QuadPart > 0;
        if (SetFilePointerEx(log, from, nullptr, FILE_BEGIN)) ReadFile(log, g_logTail, sizeof g_logTail, &read, nullptr);
    }
    CloseHandle(log);
    DWORD start = 0;
    if (cut) {  // the first line is a piece of one: it starts after the first line end
        while (start < read && g_logTail[start] != '\n') ++start;
        if (start < read) ++start;
    }
    Append("\r\nLast lines of the log (%s):\r\n", logFile);
    Flush(report);
    DWORD written = 0;
    if (read > start) WriteFile(report, g_logTail + start, read - start, &written, nullptr);
}

void WriteTextReport() {
    HANDLE report = CreateFileA(g_reportPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    g_used = 0;
    AppendException();
    Flush(report);
    InterlockedIncrement(&g_progress);
    AppendStack();
    Flush(report);
    InterlockedIncrement(&g_progress);
    AppendModules();
    Flush(report);
    InterlockedIncrement(&g_progress);
    if (report != INVALID_HANDLE_VALUE) {
        WriteLogTail(report);
        CloseHandle(report);
    }
}

// A small dump: the threads with their stacks and the module list.
void WriteDump() {
    HANDLE file = CreateFileA(g_dumpPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    MINIDUMP_EXCEPTION_INFORMATION exception;
    exception.ThreadId = g_crash.threadId;
    exception.ExceptionPointers = g_crash.pointers;
    exception.ClientPointers = FALSE;
    MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal, &exception, nullptr, nullptr);
    CloseHandle(file);
}

void Report() {
    InterlockedIncrement(&g_progress);
    MakeSummary(kReportName);
    WriteTextReport();
    WriteDump();
    LogError("%s", g_summary);
    InterlockedExchange(&g_filesWritten, 1);
    if (g_showBox) ShowMessageBox(g_summary, kBoxCaption, MB_OK | MB_ICONERROR | MB_TOPMOST | MB_SETFOREGROUND);
}

// The faulting thread's own report, next to a reporter thread that never
// started: the summary, the exception, the thread and the registers.
void ReportWithoutLoader() {
    g_withoutLoader = true;
    MakeSummary(kReportName);
    HANDLE report = CreateFileA(g_reportPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    g_used = 0;
    AppendException();
    Append("\r\nNo stack, module list or dump: the report was made in the faulting thread, which holds a lock\r\n"
           "(of the heap or the loader) that they need.\r\n");
    Flush(report);
    if (report != INVALID_HANDLE_VALUE) CloseHandle(report);
}

DWORD WINAPI ReporterThread(void*) {
    if (InterlockedCompareExchange(&g_reporter, 1, 0) == 0) Report();
    return 0;
}

// Waits for the reporter thread (see kStartLimitMs and kStallLimitMs).
void AwaitReporter(HANDLE reporter) {
    LONG seen = 0;
    DWORD still = 0;  // milliseconds without progress
    while (WaitForSingleObject(reporter, kWaitStepMs) == WAIT_TIMEOUT) {
        if (g_filesWritten) continue;
        const LONG progress = g_progress;
        still = progress == seen ? still + kWaitStepMs : 0;
        seen = progress;
        if (progress == 0 && still >= kStartLimitMs && InterlockedCompareExchange(&g_reporter, 2, 0) == 0) {
            ReportWithoutLoader();
            return;
        }
        if (still >= kStallLimitMs) return;
    }
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* pointers) {
    const DWORD code = pointers->ExceptionRecord->ExceptionCode;
    if (InterlockedCompareExchange(&g_reporting, 1, 0) != 0) {
        // A fault while reporting (or in another thread meanwhile): no second report.
        TerminateProcess(GetCurrentProcess(), g_crash.code ? g_crash.code : code);
        return EXCEPTION_EXECUTE_HANDLER;
    }
    g_crash.pointers = pointers;
    g_crash.code = code;
    g_crash.threadId = GetCurrentThreadId();
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &g_crash.thread, 0, FALSE,
                         DUPLICATE_SAME_ACCESS))
        g_crash.thread = GetCurrentThread();
    HANDLE reporter = CreateThread(nullptr, kReporterStack, ReporterThread, nullptr, 0, nullptr);
    if (reporter)
        AwaitReporter(reporter);
    else if (InterlockedCompareExchange(&g_reporter, 2, 0) == 0)
        Report();
    TerminateProcess(GetCurrentProcess(), code);
    return EXCEPTION_EXECUTE_HANDLER;
}

// dir\name into path; false when it does not fit (the name alone is used then,
// in the working directory of the moment).
void PathInDirectory(const char* directory, const char* name, char* path, size_t size) {
    if (directory[0] && snprintf(path, size, "%s\\%s", directory, name) < static_cast<int>(size)) return;
    snprintf(path, size, "%s", name);
}

}  // namespace

void CrashReportInstall() {
    char directory[MAX_PATH] = "";
    const DWORD length = GetCurrentDirectoryA(sizeof directory, directory);
    if (length == 0 || length >= sizeof directory) directory[0] = 0;
    PathInDirectory(directory, kReportName, g_reportPath, sizeof g_reportPath);
    PathInDirectory(directory, kDumpName, g_dumpPath, sizeof g_dumpPath);
    SetUnhandledExceptionFilter(OnUnhandledException);
}

void CrashReportSetBox(int show) { InterlockedExchange(&g_showBox, show ? 1 : 0); }
