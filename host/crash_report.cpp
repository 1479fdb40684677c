// The crash report. The heap may be what broke, so the report is built in
// buffers reserved here, and written section by section: a second fault while
// reporting ends the process at once, and what was written by then stays on
// disk. The report is made on a thread of its own, with a fresh stack (the
// faulting one may have overflowed). What the player needs comes first: the
// summary and the exception go to the file, the log line is written and the
// box is up (on a thread of its own) within moments; the stack, the module
// list and the minidump, which dbghelp makes slowly under Wine on a loaded
// machine, follow while the box is up. The process ends when both are done.
#include "host/crash_report.h"

#include "host/message_box.h"
#include "shell_base/log.h"

#include <csignal>
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
// thread writes what it can without the loader (ReportWithoutLoader). Once
// started, the reporter is waited for as long as it makes progress: a step
// done (a stack frame, a module, a part of the dump) or processor time spent.
// Only a reporter that does neither for kStallLimitMs, as one blocked on a
// lock the faulting thread holds, is given up: the process ends with what was
// written by then. The box may stay up for as long as the player wants.
const DWORD kStartLimitMs = 3000;
const DWORD kStallLimitMs = 30000;
const DWORD kWaitStepMs = 100;
// An abort (the C runtime's, which an uncaught C++ exception and
// std::terminate end in as well) is reported under the code Windows gives a
// fatal application exit, and ends with the C runtime's exit code for it.
const DWORD kAbortCode = 0x40000015;
const DWORD kAbortExitCode = 3;

struct Crash {
    EXCEPTION_POINTERS* pointers;
    DWORD code;
    DWORD exitCode;
    DWORD threadId;
    HANDLE thread;  // the faulting thread, for the stack walk
};

Crash g_crash;
volatile LONG g_reporting = 0;
volatile LONG g_reporter = 0;  // who makes the report: 1 the reporter thread, 2 the faulting thread
volatile LONG g_progress = 0;  // steps done, counted by whoever makes the report
volatile LONG g_filesWritten = 0;
volatile LONG g_showBox = 1;
volatile LONG g_boxUp = 0;  // the box is shown: the player, not a limit, decides when it ends
char g_reportPath[MAX_PATH];
char g_dumpPath[MAX_PATH];

// The reserved buffers.
char g_text[16384];
size_t g_used;
char g_summary[512];
char g_modulePath[MAX_PATH];
char g_logTail[kLogTailBytes];
DWORD g_logTailStart;
DWORD g_logTailEnd;
HMODULE g_modules[kMaxModules];
HMODULE g_walkModules[kMaxModules];  // those handed to dbghelp for the stack walk
int g_walkModuleCount;
char g_walkPath[MAX_PATH];
CONTEXT g_walkContext;
bool g_symbols = false;  // dbghelp's session of the stack walk is open
EXCEPTION_RECORD g_abortRecord;
CONTEXT g_abortContext;
EXCEPTION_POINTERS g_abortPointers;

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
        case kAbortCode: return "abort or uncaught C++ exception";
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

// The module base the stack walk asks for. Only the modules the walk meets are
// handed to dbghelp, each once: handing it every module of the process (and
// under Wine every library behind them) takes many seconds on a busy machine.
DWORD64 CALLBACK WalkModuleBase(HANDLE process, DWORD64 address) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(address)), &module))
        return 0;
    const DWORD64 base = reinterpret_cast<uintptr_t>(module);
    for (int i = 0; i < g_walkModuleCount; ++i)
        if (g_walkModules[i] == module) return base;
    if (g_walkModuleCount == kMaxModules || !GetModuleFileNameA(module, g_walkPath, sizeof g_walkPath)) return base;
    g_walkPath[sizeof g_walkPath - 1] = 0;
    g_walkModules[g_walkModuleCount++] = module;
    SymLoadModuleEx(process, nullptr, g_walkPath, nullptr, base, 0, nullptr, 0);
    InterlockedIncrement(&g_progress);
    return base;
}

PVOID CALLBACK WalkFunctionTable(HANDLE process, DWORD64 address) {
    WalkModuleBase(process, address);
    return SymFunctionTableAccess64(process, address);
}

// The faulting thread's stack from the fault's context, one module+offset per
// frame. The 32-bit build may lack frame pointers, so past the first frames
// the walk is best effort.
void AppendStack() {
    Append("\r\nStack (deeper frames are best effort):\r\n");
    HANDLE process = GetCurrentProcess();
    SymSetOptions(SYMOPT_DEFERRED_LOADS | SYMOPT_FAIL_CRITICAL_ERRORS | SYMOPT_NO_PROMPTS);
    const bool symbols = SymInitialize(process, nullptr, FALSE) != FALSE;
    g_walkModuleCount = 0;
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
           StackWalk64(machine, process, g_crash.thread, &frame, &g_walkContext, nullptr, WalkFunctionTable,
                       WalkModuleBase, nullptr)) {
        if (frame.AddrPC.Offset == 0) break;
        InterlockedIncrement(&g_progress);
        Append("  #%-2d ", frames++);
        AppendPlace(frame.AddrPC.Offset);
        Append("\r\n");
    }
    if (frames == 0) {  // no walk: the fault's own address is frame 0
        Append("  #0  ");
        AppendPlace(reinterpret_cast<uintptr_t>(g_crash.pointers->ExceptionRecord->ExceptionAddress));
        Append("\r\n");
    }
    // dbghelp's session stays open for the dump: without one, it would open
    // its own over every module of the process.
    g_symbols = symbols;
}

void AppendModules() {
    Append("\r\nLoaded modules (base, file):\r\n");
    DWORD bytes = 0;
    if (!EnumProcessModules(GetCurrentProcess(), g_modules, sizeof g_modules, &bytes)) return;
    DWORD count = bytes / sizeof(HMODULE);
    if (count > static_cast<DWORD>(kMaxModules)) count = kMaxModules;
    for (DWORD i = 0; i < count; ++i) {
        InterlockedIncrement(&g_progress);
        if (!GetModuleFileNameA(g_modules[i], g_modulePath, sizeof g_modulePath)) continue;
        g_modulePath[sizeof g_modulePath - 1] = 0;
        Append("  0x%0*llx  %s\r\n", static_cast<int>(2 * sizeof(void*)),
               static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(g_modules[i])), g_modulePath);
    }
}

// The last whole lines of the log file, when [Debug] LogFile is on: every
// deliverable appends its lines there, so the modules' lines are among them.
// They are read before the report's own line is logged, and written at the
// report's end.
void ReadLogTail() {
    g_logTailStart = g_logTailEnd = 0;
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
    g_logTailStart = start;
    g_logTailEnd = read;
}

void WriteLogTail(HANDLE report) {
    const char* logFile = LogGetFile();
    if (!logFile || !logFile[0]) return;
    Append("\r\nLast lines of the log (%s):\r\n", logFile);
    Flush(report);
    DWORD written = 0;
    if (g_logTailEnd > g_logTailStart)
        WriteFile(report, g_logTail + g_logTailStart, g_logTailEnd - g_logTailStart, &written, nullptr);
}

// The report's head: the summary, the exception, the thread and the registers.
HANDLE StartTextReport() {
    HANDLE report = CreateFileA(g_reportPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    g_used = 0;
    AppendException();
    Flush(report);
    InterlockedIncrement(&g_progress);
    return report;
}

void FinishTextReport(HANDLE report) {
    AppendStack();
    Flush(report);
    AppendModules();
    Flush(report);
    if (report != INVALID_HANDLE_VALUE) {
        WriteLogTail(report);
        CloseHandle(report);
    }
}

// Each part of the dump dbghelp writes (a thread, a module, ...) is a step.
BOOL CALLBACK DumpStep(void*, const PMINIDUMP_CALLBACK_INPUT input, PMINIDUMP_CALLBACK_OUTPUT output) {
    InterlockedIncrement(&g_progress);
    if (input && output && input->CallbackType == CancelCallback) {
        output->Cancel = FALSE;
        output->CheckCancel = TRUE;  // asked again from time to time while a long part is written
    }
    return TRUE;
}

// A small dump: the threads with their stacks and the module list.
void WriteDump() {
    HANDLE file = CreateFileA(g_dumpPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    MINIDUMP_EXCEPTION_INFORMATION exception;
    exception.ThreadId = g_crash.threadId;
    exception.ExceptionPointers = g_crash.pointers;
    exception.ClientPointers = FALSE;
    MINIDUMP_CALLBACK_INFORMATION steps;
    steps.CallbackRoutine = DumpStep;
    steps.CallbackParam = nullptr;
    MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal, &exception, nullptr, &steps);
    CloseHandle(file);
    if (g_symbols) SymCleanup(GetCurrentProcess());
    g_symbols = false;
}

void ShowBox() {
    InterlockedExchange(&g_boxUp, 1);
    ShowMessageBox(g_summary, kBoxCaption, MB_OK | MB_ICONERROR | MB_TOPMOST | MB_SETFOREGROUND);
    InterlockedExchange(&g_boxUp, 0);
}

DWORD WINAPI BoxThread(void*) {
    ShowBox();
    return 0;
}

void Report() {
    InterlockedIncrement(&g_progress);
    MakeSummary(kReportName);
    ReadLogTail();
    HANDLE report = StartTextReport();
    LogError("%s", g_summary);
    HANDLE box = g_showBox ? CreateThread(nullptr, kReporterStack, BoxThread, nullptr, 0, nullptr) : nullptr;
    FinishTextReport(report);
    WriteDump();
    InterlockedExchange(&g_filesWritten, 1);
    if (box) {
        WaitForSingleObject(box, INFINITE);
        CloseHandle(box);
    } else if (g_showBox) {
        ShowBox();  // no thread for the box: shown now that the files are written
    }
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

// The processor time a thread has used, in 100 ns units (0 when unknown).
unsigned long long ProcessorTime(HANDLE thread) {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(thread, &created, &exited, &kernel, &user)) return 0;
    auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return ticks(kernel) + ticks(user);
}

// Waits for the reporter thread (see kStartLimitMs and kStallLimitMs).
void AwaitReporter(HANDLE reporter) {
    LONG seen = 0;
    unsigned long long seenTime = 0;
    DWORD still = 0;  // milliseconds without progress
    while (WaitForSingleObject(reporter, kWaitStepMs) == WAIT_TIMEOUT) {
        const LONG progress = g_progress;
        const unsigned long long time = ProcessorTime(reporter);
        const bool moved = progress != seen || time != seenTime;
        seen = progress;
        seenTime = time;
        still = moved || g_boxUp || g_filesWritten ? 0 : still + kWaitStepMs;
        if (progress == 0 && still >= kStartLimitMs && InterlockedCompareExchange(&g_reporter, 2, 0) == 0) {
            ReportWithoutLoader();
            return;
        }
        if (progress != 0 && still >= kStallLimitMs) return;
    }
}

// Makes the report (on a thread of its own when one starts), then ends the
// process with the exit code.
void ReportAndEnd(EXCEPTION_POINTERS* pointers, DWORD exitCode) {
    const DWORD code = pointers->ExceptionRecord->ExceptionCode;
    if (InterlockedCompareExchange(&g_reporting, 1, 0) != 0) {
        // A fault while reporting (or in another thread meanwhile): no second report.
        TerminateProcess(GetCurrentProcess(), g_crash.exitCode ? g_crash.exitCode : exitCode);
        return;
    }
    g_crash.pointers = pointers;
    g_crash.code = code;
    g_crash.exitCode = exitCode;
    g_crash.threadId = GetCurrentThreadId();
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &g_crash.thread, 0, FALSE,
                         DUPLICATE_SAME_ACCESS))
        g_crash.thread = GetCurrentThread();
    HANDLE reporter = CreateThread(nullptr, kReporterStack, ReporterThread, nullptr, 0, nullptr);
    if (reporter)
        AwaitReporter(reporter);
    else if (InterlockedCompareExchange(&g_reporter, 2, 0) == 0)
        Report();
    TerminateProcess(GetCurrentProcess(), exitCode);
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* pointers) {
    ReportAndEnd(pointers, pointers->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

// The code that called abort: the first frame past this handler and the C
// runtime that called it (raise and abort, in the module this handler
// returns to). Null when the walk does not get there.
void* AbortCaller(void* runtimeAddress) {
    HMODULE runtime = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<LPCSTR>(runtimeAddress), &runtime);
    void* frames[kMaxFrames];
    const USHORT count = RtlCaptureStackBackTrace(0, kMaxFrames, frames, nullptr);
    bool inRuntime = false;
    for (USHORT i = 0; i < count; ++i) {
        HMODULE module = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCSTR>(frames[i]), &module);
        if (module == runtime && runtime) {
            inRuntime = true;
        } else if (inRuntime) {
            return frames[i];
        }
    }
    return nullptr;
}

// SIGABRT: abort, std::terminate and a C++ exception that nothing caught, in
// the host or in any module (every deliverable shares the C runtime DLL, so
// this handler hears a module's abort too). It makes the same report, with
// the caller of abort as the place, and ends with the C runtime's exit code.
void OnAbort(int) {
    RtlCaptureContext(&g_abortContext);
    void* caller = AbortCaller(__builtin_return_address(0));
    g_abortRecord.ExceptionCode = kAbortCode;
    g_abortRecord.ExceptionAddress = caller ? caller : __builtin_return_address(0);
    g_abortPointers.ExceptionRecord = &g_abortRecord;
    g_abortPointers.ContextRecord = &g_abortContext;
    ReportAndEnd(&g_abortPointers, kAbortExitCode);
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
    signal(SIGABRT, OnAbort);
}

void CrashReportSetBox(int show) { InterlockedExchange(&g_showBox, show ? 1 : 0); }
