#include "tls_identity.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509v3.h>

#include <cstdio>

namespace sim {
namespace {

std::string OpenSslError(const std::string& what) {
    char text[256] = {};
    ERR_error_string_n(ERR_get_error(), text, sizeof text);
    return what + ": " + text;
}

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

} // namespace

std::string TlsIdentity::CertificatePem() const {
    if (!cert) {
        return {};
    }
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), &BIO_free);
    if (!bio || PEM_write_bio_X509(bio.get(), cert.get()) != 1) {
        return {};
    }
    char* data = nullptr;
    long length = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<std::size_t>(length));
}

bool LoadTlsIdentity(const std::string& certFile, const std::string& keyFile, TlsIdentity& identity,
                     std::string& error) {
    std::unique_ptr<FILE, FileCloser> certIn(std::fopen(certFile.c_str(), "rb"));
    std::unique_ptr<FILE, FileCloser> keyIn(std::fopen(keyFile.c_str(), "rb"));
    if (!certIn || !keyIn) {
        error = "cannot read " + (certIn ? keyFile : certFile);
        return false;
    }
    identity.cert.reset(PEM_read_X509(certIn.get(), nullptr, nullptr, nullptr));
    identity.key.reset(PEM_read_PrivateKey(keyIn.get(), nullptr, nullptr, nullptr));
    if (!identity.cert || !identity.key) {
        error = OpenSslError(identity.cert ? keyFile : certFile);
        return false;
    }
    return true;
}

bool MakeSelfSignedIdentity(TlsIdentity& identity, std::string& error) {
    identity.key.reset(EVP_RSA_gen(2048));
    identity.cert.reset(X509_new());
    if (!identity.key || !identity.cert) {
        error = OpenSslError("making a key");
        return false;
    }
    X509* cert = identity.cert.get();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert), -60);
    X509_gmtime_adj(X509_getm_notAfter(cert), 24 * 60 * 60);
    X509_set_pubkey(cert, identity.key.get());
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
    X509_set_issuer_name(cert, name);
    // The address matches, so the only thing wrong with it is who signed it.
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, cert, cert, nullptr, nullptr, 0);
    X509_EXTENSION* altName =
        X509V3_EXT_conf_nid(nullptr, &context, NID_subject_alt_name, "IP:127.0.0.1");
    bool added = altName && X509_add_ext(cert, altName, -1) == 1;
    X509_EXTENSION_free(altName);
    if (!added || X509_sign(cert, identity.key.get(), EVP_sha256()) == 0) {
        error = OpenSslError("signing the certificate");
        return false;
    }
    return true;
}

} // namespace sim
