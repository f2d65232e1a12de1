// The certificate and key of the simulator's TLS listener: read from PEM files, or made fresh
// and self-signed for 127.0.0.1 (valid for a day), so that a client that verifies certificates
// must refuse it.
#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>
#include <string>

namespace sim {

struct TlsIdentity {
    std::unique_ptr<X509, decltype(&X509_free)> cert{nullptr, &X509_free};
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key{nullptr, &EVP_PKEY_free};

    // The certificate as PEM text; empty when there is none.
    std::string CertificatePem() const;
};

// False with the reason in error.
bool LoadTlsIdentity(const std::string& certFile, const std::string& keyFile, TlsIdentity& identity,
                     std::string& error);
bool MakeSelfSignedIdentity(TlsIdentity& identity, std::string& error);

} // namespace sim
