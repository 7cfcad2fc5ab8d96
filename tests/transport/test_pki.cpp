#include "test_pki.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace {

TestPki make_pki()
{
    TestPki p;
    char tmpl[] = "/tmp/qor_pki_XXXXXX";
    if (mkdtemp(tmpl) == nullptr) {
        p.error = "mkdtemp failed";
        return p;
    }
    p.dir = tmpl;
    p.client_dir = p.dir + "/sec_client";
    p.anon_dir = p.dir + "/sec_anon";
    p.empty_dir = p.dir + "/sec_empty";
    p.other_dir = p.dir + "/sec_other";
    for (const auto& d : {p.client_dir, p.anon_dir, p.empty_dir, p.other_dir})
        mkdir(d.c_str(), 0700);
    p.ca_cert = p.dir + "/ca.pem";
    p.server_cert = p.dir + "/server.pem";
    p.server_key = p.dir + "/server.key";
    p.stranger_cert = p.dir + "/stranger.pem";
    p.stranger_key = p.dir + "/stranger.key";
    p.client_pse = p.client_dir + "/QORSSLC.pse";
    p.anon_pse = p.anon_dir + "/QORSSLA.pse";
    const std::string d = p.dir;
    {
        std::ofstream ext(d + "/server.ext");
        ext << "subjectAltName=DNS:localhost,IP:127.0.0.1\nextendedKeyUsage=serverAuth\n";
        std::ofstream(d + "/stranger.ext")
            << "subjectAltName=DNS:elsewhere.invalid\nextendedKeyUsage=serverAuth\n";
        std::ofstream cext(d + "/client.ext");
        cext << "extendedKeyUsage=clientAuth\n";
    }
    const std::string o = "openssl ";
    const std::string quiet = " >/dev/null 2>&1";
    const std::string cmds[] = {
        o + "req -x509 -newkey rsa:2048 -nodes -keyout " + d + "/ca.key -out " + p.ca_cert +
            " -days 2 -subj /CN=QorTestCA",
        o + "req -x509 -newkey rsa:2048 -nodes -keyout " + d + "/other.key -out " + d +
            "/other.pem" + " -days 2 -subj /CN=OtherCA",
        o + "req -newkey rsa:2048 -nodes -keyout " + p.server_key + " -out " + d +
            "/server.csr -subj /CN=localhost",
        o + "x509 -req -in " + d + "/server.csr -CA " + p.ca_cert + " -CAkey " + d +
            "/ca.key -CAcreateserial -out " + p.server_cert + " -days 2 -extfile " + d +
            "/server.ext",
        o + "req -newkey rsa:2048 -nodes -keyout " + p.stranger_key + " -out " + d +
            "/stranger.csr -subj /CN=elsewhere.invalid",
        o + "x509 -req -in " + d + "/stranger.csr -CA " + p.ca_cert + " -CAkey " + d +
            "/ca.key -CAcreateserial -out " + p.stranger_cert + " -days 2 -extfile " + d +
            "/stranger.ext",
        o + "req -newkey rsa:2048 -nodes -keyout " + d + "/client.key -out " + d +
            "/client.csr -subj /CN=QorClient",
        o + "x509 -req -in " + d + "/client.csr -CA " + p.ca_cert + " -CAkey " + d +
            "/ca.key -CAcreateserial -out " + d + "/client.pem -days 2 -extfile " + d +
            "/client.ext",
        o + "pkcs12 -export -in " + d + "/client.pem -inkey " + d + "/client.key -certfile " +
            p.ca_cert + " -out " + p.client_pse + " -passout pass:",
        o + "pkcs12 -export -nokeys -in " + p.ca_cert + " -out " + p.anon_pse + " -passout pass:",
        "cp " + p.anon_pse + " " + p.client_dir + "/QORSSLA.pse",
        o + "pkcs12 -export -in " + d + "/client.pem -inkey " + d + "/client.key -certfile " + d +
            "/other.pem" + " -out " + p.other_dir + "/QORSSLC.pse -passout pass:",
    };
    for (const std::string& c : cmds) {
        if (!run_command(c + quiet)) {
            p.error = "failed: " + c;
            return p;
        }
    }
    p.ok = true;
    return p;
}

} // namespace

bool run_command(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

const TestPki& test_pki()
{
    static const TestPki pki = make_pki();
    static const bool cleanup = [] {
        std::atexit([] { run_command("rm -rf " + test_pki().dir); });
        return true;
    }();
    (void)cleanup;
    return pki;
}
