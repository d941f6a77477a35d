// A self-signed certificate made at run time (by default for 127.0.0.1 and
// localhost), and the server TLS context that presents it.
#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

typedef struct ssl_ctx_st SSL_CTX;

class TestCertificate {
public:
    explicit TestCertificate(const QString& subjectAltNames = QStringLiteral("IP:127.0.0.1,DNS:localhost"));
    ~TestCertificate();
    TestCertificate(const TestCertificate&) = delete;
    TestCertificate& operator=(const TestCertificate&) = delete;

    bool isValid() const { return m_context != nullptr; }
    QString error() const { return m_error; }
    // PEM file of the certificate, for clients to trust (SSL_CA_CERT_FILE).
    QString certificateFile() const { return m_dir.filePath(QStringLiteral("ca-cert.pem")); }
    SSL_CTX* serverContext() const { return m_context; }

private:
    QTemporaryDir m_dir;
    SSL_CTX* m_context = nullptr;
    QString m_error;
};
