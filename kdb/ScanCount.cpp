#include "kdb/ScanCount.h"

namespace kdb::ScanCount {
namespace {
thread_local long long scanned = 0;
} // namespace

void add(long long items) { scanned += items; }

long long onThisThread() { return scanned; }

} // namespace kdb::ScanCount
