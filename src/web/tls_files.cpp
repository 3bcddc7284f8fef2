#include "tls_files.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslKey>

#include <openssl/bio.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <memory>

namespace vantor {

namespace {

std::optional<QByteArray> ReadAll(const QString &name, QString *error)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = name + QStringLiteral(": ") + file.errorString();
        return std::nullopt;
    }
    return file.readAll();
}

// Whether the key is the private half of the certificate's public key; Qt
// has no such check of its own.
bool KeyMatches(const QByteArray &certificatePem, const QByteArray &keyPem)
{
    const std::unique_ptr<BIO, decltype(&BIO_free)> certificateBio(
        BIO_new_mem_buf(certificatePem.constData(), static_cast<int>(certificatePem.size())),
        BIO_free);
    const std::unique_ptr<BIO, decltype(&BIO_free)> keyBio(
        BIO_new_mem_buf(keyPem.constData(), static_cast<int>(keyPem.size())), BIO_free);
    const std::unique_ptr<X509, decltype(&X509_free)> certificate(
        PEM_read_bio_X509(certificateBio.get(), nullptr, nullptr, nullptr), X509_free);
    const std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(
        PEM_read_bio_PrivateKey(keyBio.get(), nullptr, nullptr, nullptr), EVP_PKEY_free);
    return certificate && key && X509_check_private_key(certificate.get(), key.get()) == 1;
}

} // namespace

std::optional<QSslConfiguration> ReadTlsFiles(const QString &certificateFile,
                                              const QString &keyFile, QString *error)
{
    const auto certificatePem = ReadAll(certificateFile, error);
    if (!certificatePem)
        return std::nullopt;
    const auto keyPem = ReadAll(keyFile, error);
    if (!keyPem)
        return std::nullopt;
    const QList<QSslCertificate> chain = QSslCertificate::fromData(*certificatePem, QSsl::Pem);
    if (chain.isEmpty()) {
        *error = certificateFile + QStringLiteral(": no PEM certificate in it");
        return std::nullopt;
    }
    QSslKey key;
    for (const QSsl::KeyAlgorithm algorithm : {QSsl::Rsa, QSsl::Ec, QSsl::Dsa}) {
        key = QSslKey(*keyPem, algorithm, QSsl::Pem, QSsl::PrivateKey);
        if (!key.isNull())
            break;
    }
    if (key.isNull()) {
        *error = keyFile + QStringLiteral(": no unencrypted PEM private key in it");
        return std::nullopt;
    }
    if (!KeyMatches(*certificatePem, *keyPem)) {
        *error =
            keyFile + QStringLiteral(" is not the key of the certificate in ") + certificateFile;
        return std::nullopt;
    }
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(chain.first());
    configuration.setLocalCertificateChain(chain);
    configuration.setPrivateKey(key);
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    configuration.setProtocol(QSsl::TlsV1_2OrLater);
    return configuration;
}

} // namespace vantor
