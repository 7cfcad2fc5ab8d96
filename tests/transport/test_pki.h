#ifndef QOR_TESTS_TRANSPORT_TEST_PKI_H
#define QOR_TESTS_TRANSPORT_TEST_PKI_H

// A throw-away PKI made with the openssl command: a test CA, a server
// certificate for localhost/127.0.0.1, a client certificate and the PSE
// files (PKCS#12, empty password) of the client and of the anonymous case.
// A second, unrelated CA serves to show that an untrusted server is refused.

#include <string>

struct TestPki
{
    std::string dir;           // temporary directory holding everything
    std::string ca_cert;       // PEM
    std::string server_cert;   // PEM
    std::string server_key;    // PEM
    std::string stranger_cert; // PEM, signed by the test CA for another host name only
    std::string stranger_key;  // PEM
    std::string client_pse;    // QORSSLC.pse content file (in dir/sec_client)
    std::string anon_pse;      // QORSSLA.pse (CA only) in dir/sec_anon
    std::string other_dir;     // a PSE directory whose QORSSLC.pse trusts the other CA
    std::string client_dir;    // directory with QORSSLC.pse and QORSSLA.pse
    std::string anon_dir;      // directory with QORSSLA.pse only
    std::string empty_dir;     // directory without PSE files
    bool ok = false;
    std::string error;
};

// Made once per test program; later calls return the same PKI.
const TestPki& test_pki();

// Runs a shell command, true on exit status 0.
bool run_command(const std::string& command);

#endif
