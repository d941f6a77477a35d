// Items visited one by one by passes whose work grows with a value's length
// (sizing a value, finding a column's extremes, building a row index),
// counted per thread. Tests read the count of the window's thread to check
// that showing a reply costs it the same whatever the reply's length.
#pragma once

namespace kdb::ScanCount {
void add(long long items);
long long onThisThread();
} // namespace kdb::ScanCount
