// Extensions of the published C calls: a time limit on whole sync queries,
// and telling the errors this library raises itself from the q errors a peer
// sends. No Qt here.
#pragma once

#include "kdb/k.h"

#include <string>

namespace kdb {

// From now on every sync query k(handle, ...) must be sent and its whole
// reply received within ms milliseconds (0: no limit, the default). When the
// time runs out the connection is closed, k returns null and ee() reads
// "timeout". Waiting for the next message, k(handle, (S)0), has no limit.
// False for an unknown handle.
bool setQueryTimeout(I handle, I ms);

// Whether an error value (type -128) was raised here, by this library (a
// reply it could not decode or hold, a message it could not send), rather
// than received from the peer as a q error.
bool isLocalError(K x);
// krr, marked as raised by this library.
K localError(const char* text);

// The texts of a reply this library could not take: its bytes are malformed
// ("reply could not be decoded: " and the reason), or its value does not fit
// in the memory available.
inline constexpr const char* kUndecodedPrefix = "reply could not be decoded: ";
std::string tooLargeText(unsigned long long announcedBytes);

} // namespace kdb
