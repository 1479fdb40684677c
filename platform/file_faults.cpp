// File fault injection: one countdown per operation, shared by every thread.
#include "platform/file_faults.h"

#include <atomic>

namespace plat {

namespace {

std::atomic<int> g_countdown[static_cast<int>(FileOp::Count)];

}  // namespace

void FileFailNth(FileOp op, int n) {
    if (op >= FileOp::Count) return;
    g_countdown[static_cast<int>(op)].store(n > 0 ? n : 0, std::memory_order_relaxed);
}

bool FileFaultStrikes(FileOp op) {
    std::atomic<int>& countdown = g_countdown[static_cast<int>(op)];
    int left = countdown.load(std::memory_order_relaxed);
    // Counted down by exactly one call each, even from several threads.
    while (left > 0) {
        if (countdown.compare_exchange_weak(left, left - 1, std::memory_order_relaxed)) return left == 1;
    }
    return false;
}

}  // namespace plat
