// The profile parameters start on the SSL layer's first lookup: a run over
// NI_HTTPS writes their three standard-error lines once, a run over any
// other transport none. Each run is a process of its own.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "soap_client.h"
#include "sssl/sssl.h"
#include "support/fake_service.h"
#include "test_pki.h"
#include "tls_proxy.h"

namespace {

// Two GetProcessList calls over the transport against a fake service, with
// the SSL layer initialised twice for NI_HTTPS; 0 when both calls succeed.
int calls(int type)
{
    qortest::FakeService fake;
    fake.set_default(qortest::Reply::ok(process_list_xml({"GREEN"})));
    std::unique_ptr<TlsProxy> proxy;
    std::string endpoint = fake.endpoint();
    if (type == NI_HTTPS || type == WINHTTPS) {
        const TestPki& pki = test_pki();
        if (!pki.ok)
            return 2;
        proxy = std::make_unique<TlsProxy>(pki.server_cert, pki.server_key,
                                           type == NI_HTTPS ? pki.ca_cert : "", fake.port());
        endpoint = "https://localhost:" + std::to_string(proxy->port());
    }
    if (type == NI_HTTPS) {
        setenv("SECUDIR", test_pki().client_dir.c_str(), 1);
        SSSL_INIT_PARAMS params{};
        params.size = sizeof params;
        params.default_creds = SSSL_CRED_CLIENT;
        const bool ready = QorSSLInit(0, &params, nullptr) == SSSLRC_OK;
        QorSSLExit();
        if (!ready || QorSSLInit(0, &params, nullptr) != SSSLRC_OK)
            return 3;
    }
    int ok = 0;
    {
        SoapClient client(type);
        for (int i = 0; i < 2; ++i)
            ok += client.get_process_list(endpoint) == SOAP_OK;
    }
    QorSSLExit();
    return ok == 2 ? 0 : 1;
}

// The calls as the whole of a process (whose locals are gone before it
// ends).
[[noreturn]] void run_calls(int type)
{
    std::exit(calls(type));
}

TEST(ParamFirstLookup, OnlyNiHttpsShowsTheThreeLinesOnce)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const char* proxy :
         {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        unsetenv(proxy);
    for (const char* name : {"QORSYSTEM", "QORPARAM700", "QORPARAMMSID"})
        unsetenv(name);
    EXPECT_EXIT(run_calls(NI_HTTPS), ::testing::ExitedWithCode(0),
                "^qorparam: qorargv\\(argc, argv\\) has not been called!\n"
                "qorparam\\(1c\\): No Profile used\\.\n"
                "qorparam: QORSYSTEMNAME neither in Profile nor in Commandline\n$");
    for (int type : {NI_HTTP, WINHTTP, WINHTTPS, GSOAP_HTTP})
        EXPECT_EXIT(run_calls(type), ::testing::ExitedWithCode(0), "^$") << type;
}

} // namespace
