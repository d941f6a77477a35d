#include "TestCertificate.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <QFile>

namespace {

bool addExtension(X509* cert, int nid, const char* value)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    if (!ext)
        return false;
    const bool ok = X509_add_ext(cert, ext, -1) == 1;
    X509_EXTENSION_free(ext);
    return ok;
}

} // namespace

TestCertificate::TestCertificate(const QString& subjectAltNames)
{
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* cert = X509_new();
    bool ok = key && cert;
    if (ok) {
        X509_set_version(cert, 2);
        ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
        X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
        X509_gmtime_adj(X509_getm_notAfter(cert), 7 * 24 * 3600);
        X509_set_pubkey(cert, key);
        X509_NAME* name = X509_get_subject_name(cert);
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("tovo test instance"),
                                   -1, -1, 0);
        X509_set_issuer_name(cert, name);
        ok = addExtension(cert, NID_basic_constraints, "critical,CA:TRUE")
            && addExtension(cert, NID_subject_alt_name, subjectAltNames.toLatin1().constData())
            && addExtension(cert, NID_subject_key_identifier, "hash")
            && X509_sign(cert, key, EVP_sha256()) > 0;
    }
    if (ok && m_dir.isValid()) {
        BIO* out = BIO_new_file(certificateFile().toLocal8Bit().constData(), "w");
        ok = out && PEM_write_bio_X509(out, cert) == 1;
        BIO_free(out);
    } else {
        ok = false;
    }
    if (ok) {
        m_context = SSL_CTX_new(TLS_server_method());
        ok = m_context && SSL_CTX_use_certificate(m_context, cert) == 1 && SSL_CTX_use_PrivateKey(m_context, key) == 1;
    }
    if (!ok) {
        char buffer[256] = "cannot make the test certificate";
        if (unsigned long e = ERR_get_error())
            ERR_error_string_n(e, buffer, sizeof buffer);
        m_error = QString::fromLatin1(buffer);
        ERR_clear_error();
        if (m_context)
            SSL_CTX_free(m_context);
        m_context = nullptr;
    }
    X509_free(cert);
    EVP_PKEY_free(key);
}

TestCertificate::~TestCertificate()
{
    if (m_context)
        SSL_CTX_free(m_context);
}
