// Hot paths of the core services, timed next to a baseline in the same run:
// a GetInterface/ReleaseInterface pair on a hot id, as a module's
// InterfaceHold makes it (baseline: entering and leaving the registry's kind
// of lock), memAlloc/memFree of small blocks (baseline: the C runtime's
// malloc/free), memCompact (baseline: malloc of the same trial block, one
// byte per page touched, free) and one random draw (baseline: the C runtime's
// rand). Prints nanoseconds per operation, best of 5 runs.
#include "core/interface_manager.h"
#include "core/memory_manager.h"
#include "core/random_table.h"
#include "platform/platform.h"
#include "shell_base/shell_memory.h"
#include "varn/fmg.h"
#include "varn/held.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

volatile uintptr_t g_sink;

template <class Body>
double NsPerOp(long iterations, Body body) {
    double best = 1e30;
    for (int run = 0; run < 5; ++run) {
        auto start = std::chrono::steady_clock::now();
        for (long i = 0; i < iterations; ++i) body(i);
        std::chrono::duration<double, std::nano> elapsed = std::chrono::steady_clock::now() - start;
        if (elapsed.count() / iterations < best) best = elapsed.count() / iterations;
    }
    return best;
}

void Row(const char* what, double ours, const char* baselineName, double baseline) {
    printf("%-40s %8.1f ns   %-28s %8.1f ns   x%.2f\n", what, ours, baselineName, baseline, ours / baseline);
}

}  // namespace

int main() {
    static int objects[8];
    InterfaceManager registry;
    registry.Init();
    const char* ids[] = {VARN_ID_DBG, VARN_ID_MEM, VARN_ID_DLL, VARN_ID_FMG,
                         VARN_ID_RND, VARN_ID_CLK, VARN_ID_OPT, VARN_ID_APP};
    for (int i = 0; i < 8; ++i) registry.RegisterInterface(ids[i], &objects[i], 0);

    // Called through the table, as a module does.
    IInterfaceManager* volatile table = &registry;
    const long kPairs = 2000000;
    double pair = NsPerOp(kPairs, [&](long) {
        InterfaceHold<IFileManager> files(table);
        g_sink = reinterpret_cast<uintptr_t>(files.get());
    });
    plat::ReentrantLock lock;
    double lockPair = NsPerOp(kPairs, [&](long i) {
        lock.Enter();
        g_sink = static_cast<uintptr_t>(i);
        lock.Leave();
    });
    Row("GetInterface+ReleaseInterface (hot id)", pair, "lock enter+leave", lockPair);

    MemoryManager memory;
    if (!memory.Init()) return 1;
    const long kBlocks = 2000000;
    IMemoryManager* volatile heap = &memory;
    double mem = NsPerOp(kBlocks, [&](long i) {
        void* block = heap->memAlloc(static_cast<uint32_t>(16 + (i & 63)), 0, 0, nullptr);
        g_sink = reinterpret_cast<uintptr_t>(block);
        heap->memFree(block);
    });
    double crt = NsPerOp(kBlocks, [&](long i) {
        void* block = malloc(static_cast<size_t>(16 + (i & 63)));
        g_sink = reinterpret_cast<uintptr_t>(block);
        free(block);
    });
    Row("memAlloc+memFree (16..79 bytes)", mem, "malloc+free", crt);
    // The trial block of memCompact on this machine, committed page by page.
    const long kCompacts = 20;
    double compact = NsPerOp(kCompacts, [&](long) { heap->memCompact(); });
    const size_t trial = memory.LastCompact().obtained;
    const uint32_t page = plat::PageSize();
    double touch = NsPerOp(kCompacts, [&](long) {
        volatile unsigned char* block = static_cast<volatile unsigned char*>(malloc(trial));
        for (size_t offset = 0; block && offset + 1 < trial; offset += page) block[offset] = block[offset] + 1;
        g_sink = reinterpret_cast<uintptr_t>(block);
        free(const_cast<unsigned char*>(block));
    });
    char what[64];
    snprintf(what, sizeof what, "memCompact (%zu MiB trial block)", trial >> 20);
    Row(what, compact, "malloc+touch pages+free", touch);
    memory.Shutdown();
    registry.Deinit();

    RandomTable random;
    IRandomTable* volatile draws = &random;
    const long kDraws = 20000000;
    double draw = NsPerOp(kDraws, [&](long) { g_sink = static_cast<uintptr_t>(draws->rndNext()); });
    double rand = NsPerOp(kDraws, [&](long) { g_sink = static_cast<uintptr_t>(std::rand()); });
    Row("rndNext (one draw)", draw, "C runtime rand()", rand);
    return 0;
}
