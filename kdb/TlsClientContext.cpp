#include "kdb/TlsClientContext.h"

#include "kdb/TlsSession.h"
#include "kdb/kerror.h"

#include <openssl/crypto.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <cctype>
#include <cstdlib>
#include <mutex>
#include <optional>

namespace kdb {

namespace {

std::string env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

struct State {
    std::mutex mutex;
    std::optional<TlsClientSettings> settings;
    std::shared_ptr<SSL_CTX> context;
};

State& state()
{
    static State s;
    return s;
}

const TlsClientSettings& settingsLocked(State& s)
{
    if (!s.settings)
        s.settings = tlsClientSettingsFromEnvironment();
    return *s.settings;
}

std::shared_ptr<SSL_CTX> build(const TlsClientSettings& settings, std::string& error)
{
    std::shared_ptr<SSL_CTX> ctx(SSL_CTX_new(TLS_client_method()), SSL_CTX_free);
    if (!ctx) {
        error = TlsSession::takeErrors("cannot create the TLS context");
        return nullptr;
    }
    SSL_CTX_set_min_proto_version(ctx.get(), TLS1_2_VERSION);
    if (!settings.caCertFile.empty() || !settings.caCertPath.empty()) {
        const char* file = settings.caCertFile.empty() ? nullptr : settings.caCertFile.c_str();
        const char* path = settings.caCertPath.empty() ? nullptr : settings.caCertPath.c_str();
        if (SSL_CTX_load_verify_locations(ctx.get(), file, path) != 1) {
            const std::string why = TlsSession::takeErrors("");
            error = "cannot load the CA certificates " + settings.caCertFile + settings.caCertPath
                + (why.empty() ? std::string() : ": " + why);
            return nullptr;
        }
    } else {
        SSL_CTX_set_default_verify_paths(ctx.get());
    }
    // A client certificate needs both files: SSL_CERT_FILE alone is commonly
    // set to the system's CA bundle for other programs.
    if (!settings.certFile.empty() && !settings.keyFile.empty()) {
        if (SSL_CTX_use_certificate_chain_file(ctx.get(), settings.certFile.c_str()) != 1
            || SSL_CTX_use_PrivateKey_file(ctx.get(), settings.keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
            error = "cannot load the client certificate " + settings.certFile + ": " + TlsSession::takeErrors("");
            return nullptr;
        }
    }
    if (!settings.cipherList.empty() && SSL_CTX_set_cipher_list(ctx.get(), settings.cipherList.c_str()) != 1) {
        error = "invalid cipher list " + settings.cipherList;
        TlsSession::takeErrors("");
        return nullptr;
    }
    SSL_CTX_set_verify(ctx.get(), settings.verifyServer ? SSL_VERIFY_PEER : SSL_VERIFY_NONE, nullptr);
    return ctx;
}

K str(const std::string& s) { return kpn(s.data(), static_cast<J>(s.size())); }

} // namespace

TlsClientSettings tlsClientSettingsFromEnvironment()
{
    TlsClientSettings s;
    std::string verify = env("SSL_VERIFY_SERVER");
    for (char& c : verify)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    s.verifyServer = verify != "NO" && verify != "0" && verify != "FALSE";
    s.caCertFile = env("SSL_CA_CERT_FILE");
    s.caCertPath = env("SSL_CA_CERT_PATH");
    s.certFile = env("SSL_CERT_FILE");
    s.keyFile = env("SSL_KEY_FILE");
    s.cipherList = env("SSL_CIPHER_LIST");
    return s;
}

TlsClientSettings tlsClientSettings() { return TlsClientContext::settings(); }
void setTlsClientSettings(const TlsClientSettings& settings) { TlsClientContext::setSettings(settings); }

TlsClientSettings TlsClientContext::settings()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    return settingsLocked(s);
}

void TlsClientContext::setSettings(const TlsClientSettings& settings)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.settings = settings;
    s.context.reset();
}

std::shared_ptr<SSL_CTX> TlsClientContext::get(std::string& error)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.context)
        s.context = build(settingsLocked(s), error);
    return s.context;
}

K TlsClientContext::info()
{
    std::string error;
    if (!get(error)) {
        setLastError(error);
        return nullptr;
    }
    const TlsClientSettings s = settings();
    const char* keys[] = {"SSLEAY_VERSION",  "SSL_CERT_FILE",   "SSL_CA_CERT_FILE",  "SSL_CA_CERT_PATH",
                          "SSL_KEY_FILE",    "SSL_CIPHER_LIST", "SSL_VERIFY_CLIENT", "SSL_VERIFY_SERVER"};
    const bool systemCa = s.caCertFile.empty() && s.caCertPath.empty();
    const std::string values[] = {
        OpenSSL_version(OPENSSL_VERSION),
        s.certFile,
        systemCa ? X509_get_default_cert_file() : s.caCertFile,
        systemCa ? X509_get_default_cert_dir() : s.caCertPath,
        s.keyFile,
        s.cipherList.empty() ? std::string("DEFAULT") : s.cipherList,
        "NO",
        s.verifyServer ? "YES" : "NO",
    };
    constexpr J n = sizeof keys / sizeof keys[0];
    K names = ktn(KS, n);
    K texts = ktn(0, n);
    for (J i = 0; i < n; ++i) {
        kS(names)[i] = ss(keys[i]);
        kK(texts)[i] = str(values[i]);
    }
    return xD(names, texts);
}

} // namespace kdb
