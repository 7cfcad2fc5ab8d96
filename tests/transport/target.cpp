#include "target.h"

#include <stdlib.h>
#include <unistd.h>

#include "sssl/sssl.h"
#include "test_pki.h"
#include "transport/plugin.h"

Target::Target(int type)
{
    if (type == PIPE) {
        char tmpl[] = "/tmp/qor_pipe_XXXXXX";
        dir_ = mkdtemp(tmpl);
        plugin_set_pipe_dir(dir_.c_str());
        fake_ = std::make_unique<qortest::FakeService>(dir_ + "/qorcontrol_07");
        endpoint_ = "pipe:\\\\.\\pipe\\qorcontrol_07";
        return;
    }
    fake_ = std::make_unique<qortest::FakeService>();
    if (type == NI_HTTPS || type == WINHTTPS) {
        const TestPki& pki = test_pki();
        proxy_ = std::make_unique<TlsProxy>(pki.server_cert, pki.server_key,
                                            type == NI_HTTPS ? pki.ca_cert : "", fake_->port());
        endpoint_ = "https://localhost:" + std::to_string(proxy_->port());
    } else {
        endpoint_ = fake_->endpoint();
    }
}

Target::~Target()
{
    proxy_.reset();
    fake_.reset();
    if (!dir_.empty()) {
        plugin_set_pipe_dir(nullptr);
        rmdir(dir_.c_str());
    }
}

SslSetup::SslSetup(const std::string& secudir, uint32_t creds)
{
    setenv("SECUDIR", secudir.c_str(), 1);
    SSSL_INIT_PARAMS params{};
    params.size = sizeof params;
    params.default_creds = creds;
    rc_ = QorSSLInit(0, &params, nullptr);
}

SslSetup::~SslSetup()
{
    QorSSLExit();
    unsetenv("SECUDIR");
}

const char* type_name(int type)
{
    static const char* names[] = {"NI_HTTP",  "NI_HTTPS", "WINHTTP",
                                  "WINHTTPS", "PIPE",     "GSOAP_HTTP"};
    return type >= 0 && type <= GSOAP_HTTP ? names[type] : "?";
}
