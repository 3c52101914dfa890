#include "QelTestCertificate.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <memory>

namespace {
using Key = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using Cert = std::unique_ptr<X509, decltype(&X509_free)>;

bool AddExtension(X509* cert, X509* issuer, int nid, const char* value) {
    X509V3_CTX ctx;
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    if (!ext) return false;
    const bool ok = X509_add_ext(cert, ext, -1) == 1;
    X509_EXTENSION_free(ext);
    return ok;
}

// A certificate for key named commonName, signed by issuerKey (itself when issuer is null).
Cert MakeCert(EVP_PKEY* key, const char* commonName, X509* issuer, EVP_PKEY* issuerKey, long serial) {
    Cert cert(X509_new(), &X509_free);
    X509_set_version(cert.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), serial);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 86400);
    X509_set_pubkey(cert.get(), key);
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
    X509_set_issuer_name(cert.get(), issuer ? X509_get_subject_name(issuer) : name);
    X509* signer = issuer ? issuer : cert.get();
    const bool ok = issuer ? AddExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:FALSE") &&
                                 AddExtension(cert.get(), signer, NID_subject_alt_name, "DNS:localhost") &&
                                 AddExtension(cert.get(), signer, NID_ext_key_usage, "serverAuth")
                           : AddExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:TRUE") &&
                                 AddExtension(cert.get(), signer, NID_key_usage, "critical,keyCertSign,cRLSign") &&
                                 AddExtension(cert.get(), signer, NID_subject_key_identifier, "hash");
    if (!ok || X509_sign(cert.get(), issuerKey, EVP_sha256()) == 0) cert.reset();
    return cert;
}

template <typename Write>
bool WritePem(const std::string& path, Write write) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return false;
    const bool ok = write(f) == 1;
    return std::fclose(f) == 0 && ok;
}
}  // namespace

QelTestCertificate::QelTestCertificate(const std::string& dir)
    : caFile(dir + "/ca.pem"), certFile(dir + "/server.pem"), keyFile(dir + "/server.key") {
    Key caKey(EVP_EC_gen("P-256"), &EVP_PKEY_free);
    Key serverKey(EVP_EC_gen("P-256"), &EVP_PKEY_free);
    if (!caKey || !serverKey) return;
    Cert ca = MakeCert(caKey.get(), "Qel Test Authority", nullptr, caKey.get(), 1);
    if (!ca) return;
    Cert server = MakeCert(serverKey.get(), "localhost", ca.get(), caKey.get(), 2);
    if (!server) return;
    ok = WritePem(caFile, [&](std::FILE* f) { return PEM_write_X509(f, ca.get()); }) &&
         WritePem(certFile, [&](std::FILE* f) { return PEM_write_X509(f, server.get()); }) &&
         WritePem(keyFile, [&](std::FILE* f) {
             return PEM_write_PrivateKey(f, serverKey.get(), nullptr, nullptr, 0, nullptr, nullptr);
         });
}
