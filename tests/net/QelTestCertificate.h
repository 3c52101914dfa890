#pragma once
// A throw-away certificate authority and a server certificate it signed for
// the name "localhost" only, written as PEM files into a test's folder.

#include <string>

struct QelTestCertificate {
    explicit QelTestCertificate(const std::string& dir);

    std::string caFile;    // the authority, for the client to trust
    std::string certFile;  // the server's certificate
    std::string keyFile;   // the server's private key
    bool ok = false;
};
