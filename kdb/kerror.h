// The library's per-thread error text, read by ee() after a failed call.
#pragma once

#include <string>

namespace kdb {
void setLastError(std::string text);
const std::string& lastError();
} // namespace kdb
