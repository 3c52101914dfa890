#pragma once
// A throw-away self-signed certificate for the name "localhost" only, with its
// key, as PEM files in a test's folder (made by the openssl command): a client
// that trusts certFile trusts the server, and only under that name.

#include <cstdlib>
#include <string>

struct QelTestCertificate {
    explicit QelTestCertificate(const std::string& dir) : certFile(dir + "/server.pem"), keyFile(dir + "/server.key") {
        ok = std::system(("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 1 -subj /CN=localhost"
                          " -addext subjectAltName=DNS:localhost -keyout '" + keyFile + "' -out '" + certFile + "' 2>/dev/null")
                             .c_str()) == 0;
    }
    std::string certFile, keyFile;
    bool ok = false;
};
