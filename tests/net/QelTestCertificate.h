#pragma once
// A throw-away self-signed certificate for the name "localhost" only, with its
// key, as PEM files in a test's folder: a client that trusts certFile trusts
// the server, and only under that name.

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <string>

struct QelTestCertificate {
    explicit QelTestCertificate(const std::string& dir) : certFile(dir + "/server.pem"), keyFile(dir + "/server.key") {
        EVP_PKEY* key = EVP_EC_gen("P-256");
        X509* cert = X509_new();
        X509V3_CTX ctx;
        X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
        X509_EXTENSION* names = X509V3_EXT_conf_nid(nullptr, &ctx, NID_subject_alt_name, "DNS:localhost");
        X509_NAME* subject = X509_get_subject_name(cert);
        const auto cn = reinterpret_cast<const unsigned char*>("localhost");
        ok = key && names && X509_set_version(cert, 2) && ASN1_INTEGER_set(X509_get_serialNumber(cert), 1) &&
             X509_gmtime_adj(X509_getm_notBefore(cert), -3600) && X509_gmtime_adj(X509_getm_notAfter(cert), 86400) &&
             X509_set_pubkey(cert, key) && X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_ASC, cn, -1, -1, 0) &&
             X509_set_issuer_name(cert, subject) && X509_add_ext(cert, names, -1) && X509_sign(cert, key, EVP_sha256()) &&
             Write(certFile, [&](std::FILE* f) { return PEM_write_X509(f, cert); }) &&
             Write(keyFile, [&](std::FILE* f) { return PEM_write_PrivateKey(f, key, nullptr, nullptr, 0, nullptr, nullptr); });
        X509_EXTENSION_free(names);
        X509_free(cert);
        EVP_PKEY_free(key);
    }

    std::string certFile, keyFile;
    bool ok = false;

private:
    template <typename Pem>
    static bool Write(const std::string& path, Pem pem) {
        std::FILE* f = std::fopen(path.c_str(), "w");
        const bool written = f && pem(f) == 1;
        return f && std::fclose(f) == 0 && written;
    }
};
