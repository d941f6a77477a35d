// Asks a server whether it speaks TLS: a TLS ClientHello on a fresh
// connection, and a look at the first bytes that come back. A kdb+ server that
// only accepts TLS closes a plain login without a word, just as one that
// refuses the credentials does; this tells the two apart.
#pragma once

#include "kdb/Socket.h"

#include <string>

namespace kdb {

class TlsProbe {
public:
    // True when the server answers the ClientHello with the start of a TLS
    // record (a ServerHello or an alert) before the deadline.
    static bool speaksTls(const std::string& host, int port, Deadline deadline);

    // The bytes of a ClientHello for host (SNI for names, none for
    // addresses); empty when OpenSSL cannot make one.
    static std::string clientHello(const std::string& host);
};

} // namespace kdb
