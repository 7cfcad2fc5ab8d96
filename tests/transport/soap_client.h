#ifndef QOR_TESTS_TRANSPORT_SOAP_CLIENT_H
#define QOR_TESTS_TRANSPORT_SOAP_CLIENT_H

// A SOAP context set up as the client sets it up, with the transport plug-in
// of one type and a trace file that the test can read back.

#include <cstdio>
#include <string>

#include "soapH.h"
#include "transport/plugin.h"

class SoapClient
{
  public:
    explicit SoapClient(int transport_type, int ssl_auth = 3 /* USE_CLIENT_CERT */,
                        bool trace = true);
    ~SoapClient();
    SoapClient(const SoapClient&) = delete;
    SoapClient& operator=(const SoapClient&) = delete;

    struct soap* ctx() { return soap_; }
    int register_rc() const { return register_rc_; }
    // User and password of the following calls (null: none).
    void set_credentials(const char* user, const char* password);
    // GetProcessList; the process count in *count.
    int get_process_list(const std::string& endpoint, int* count = nullptr);
    // Everything written to the trace file so far.
    std::string trace() const;
    // The context's fault string (and detail), "" when none.
    std::string fault() const;
    // Connections the plug-in opened so far.
    long connections() const;

  private:
    struct soap* soap_ = nullptr;
    plugin_arg arg_{};
    FILE* trace_ = nullptr;
    int register_rc_ = -1;
    const char* user_ = nullptr;
    const char* password_ = nullptr;
};

// The reply body of a GetProcessList with the given colours (GREEN, GRAY, ...).
std::string process_list_xml(std::initializer_list<const char*> colours);

#endif
