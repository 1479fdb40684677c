// The C heap's big blocks on posix: large blocks backed by large pages, file
// buffers on a page boundary, and the blocks given back kept for reuse. Only
// the posix backend does this (the Win32 one hands malloc's blocks out as
// they come); the benchmarks of big documents and file reads are what it is
// tuned for.
#include "platform.h"

#include <malloc.h>
#include <pthread.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

namespace plat {

// A large block starts on a 2 MiB boundary and is advised to be backed by
// 2 MiB pages, where the system offers them (elsewhere the advice is ignored).
// Other blocks of kKeptMinimum bytes or more start on a page boundary: these
// are the buffers files are read into, and the kernel copies into a buffer
// that starts 16 bytes past a cache line (where the C heap puts a mapped
// block) markedly slower on some processors (a quarter more time for a
// checksum of a file in the page cache, read in 256 KiB pieces).
//
// Blocks of kKeptMinimum bytes or more that are given back are kept for the
// next request they fit, up to kKeptBytes in all. The C heap maps such blocks
// fresh from the kernel and unmaps them when freed, so a program that makes and
// drops big documents one after another would otherwise take fresh pages for
// each, every one zeroed by the kernel (and a large page first found, maybe
// compacted), which can cost more than reading the document.
namespace {

const size_t kLargePage = size_t{2} << 20;
const size_t kPageAlign = 4096;
const size_t kKeptMinimum = size_t{128} << 10;
const size_t kKeptBytes = size_t{64} << 20;
const int kKeptSlots = 64;

struct KeptBlocks {
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    void* blocks[kKeptSlots] = {};
    size_t sizes[kKeptSlots] = {};  // usable bytes; whole large pages for a large block
    bool large[kKeptSlots] = {};
    size_t bytes = 0;
};

KeptBlocks g_kept;

// Whole large pages: a partly used last page would fault in small ones. Zero
// for a size that takes none (smaller blocks) or cannot be rounded.
size_t LargeBlockSize(size_t size) {
#ifdef MADV_HUGEPAGE
    if (size >= kLargePage && size <= SIZE_MAX - kLargePage) return (size + kLargePage - 1) & ~(kLargePage - 1);
#endif
    return 0;
}

// The smallest kept block of at least size bytes and at most twice that (a
// large one for a large request), taken out of the reserve; null when none fits.
void* TakeKept(size_t size, bool large) {
    pthread_mutex_lock(&g_kept.mutex);
    int best = -1;
    for (int i = 0; i < kKeptSlots; ++i) {
        if (!g_kept.blocks[i] || g_kept.sizes[i] < size || g_kept.sizes[i] / 2 > size || (large && !g_kept.large[i]))
            continue;
        if (best < 0 || g_kept.sizes[i] < g_kept.sizes[best]) best = i;
    }
    void* block = nullptr;
    if (best >= 0) {
        block = g_kept.blocks[best];
        g_kept.blocks[best] = nullptr;
        g_kept.bytes -= g_kept.sizes[best];
    }
    pthread_mutex_unlock(&g_kept.mutex);
    return block;
}

bool Keep(void* block, size_t size, bool large) {
    pthread_mutex_lock(&g_kept.mutex);
    bool kept = false;
    for (int i = 0; !kept && i < kKeptSlots && g_kept.bytes + size <= kKeptBytes; ++i) {
        if (g_kept.blocks[i]) continue;
        g_kept.blocks[i] = block;
        g_kept.sizes[i] = size;
        g_kept.large[i] = large;
        g_kept.bytes += size;
        kept = true;
    }
    pthread_mutex_unlock(&g_kept.mutex);
    return kept;
}

}  // namespace

void* AllocateCBlock(size_t size) {
    if (size == 0) size = 1;
    const size_t rounded = LargeBlockSize(size);
    if (size >= kKeptMinimum) {
        if (void* kept = TakeKept(rounded ? rounded : size, rounded != 0)) return kept;
    }
    void* block = nullptr;
    if (rounded == 0) {
        if (size < kKeptMinimum) return malloc(size);
        return posix_memalign(&block, kPageAlign, size) == 0 ? block : nullptr;
    }
    if (posix_memalign(&block, kLargePage, rounded) != 0) return nullptr;
#ifdef MADV_HUGEPAGE
    madvise(block, rounded, MADV_HUGEPAGE);
#endif
    return block;
}

void ReleaseCBlock(void* block, size_t size) {
    if (!block) return;
    if (size >= kKeptMinimum) {
        // What the block holds, which may be more than was asked of it.
        size_t usable = malloc_usable_size(block);
        const bool large = LargeBlockSize(usable) != 0 && reinterpret_cast<uintptr_t>(block) % kLargePage == 0;
        if (large) usable &= ~(kLargePage - 1);
        if (Keep(block, usable, large)) return;
    }
    free(block);
}

void ReleaseKeptCBlocks() {
    pthread_mutex_lock(&g_kept.mutex);
    for (int i = 0; i < kKeptSlots; ++i) {
        free(g_kept.blocks[i]);
        g_kept.blocks[i] = nullptr;
    }
    g_kept.bytes = 0;
    pthread_mutex_unlock(&g_kept.mutex);
}

size_t KeptCBlockBytes() {
    pthread_mutex_lock(&g_kept.mutex);
    const size_t bytes = g_kept.bytes;
    pthread_mutex_unlock(&g_kept.mutex);
    return bytes;
}

}  // namespace plat
