#include "kdb/kerror.h"

namespace kdb {
namespace {
thread_local std::string t_lastError;
}

void setLastError(std::string text) { t_lastError = std::move(text); }
const std::string& lastError() { return t_lastError; }
} // namespace kdb
