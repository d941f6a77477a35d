// The process-wide OpenSSL context of TLS client connections, built from
// kdb::TlsClientSettings, and the dictionary that sslInfo returns.
#pragma once

#include "kdb/k.h"

#include <memory>
#include <string>

typedef struct ssl_ctx_st SSL_CTX;

namespace kdb {

class TlsClientContext {
public:
    // The current context, built on first use and after a settings change;
    // null (and error set) when the settings cannot be applied.
    static std::shared_ptr<SSL_CTX> get(std::string& error);
    static TlsClientSettings settings();
    static void setSettings(const TlsClientSettings& settings);
    // A dictionary of symbols to strings, like kdb+'s -26!; null when the
    // context cannot be built (the error text is the library's last error).
    static K info();
};

} // namespace kdb
