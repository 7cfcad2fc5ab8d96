#include "soap_client.h"

#include <sstream>

#include "transport/plugin_data.h"

SoapClient::SoapClient(int transport_type, int ssl_auth, bool trace)
{
    const int mode = SOAP_IO_KEEPALIVE | SOAP_C_UTFSTRING;
    soap_ = soap_new2(mode, mode);
    soap_->connect_timeout = 5;
    soap_->send_timeout = 5;
    soap_->recv_timeout = 5;
    arg_.transport_type = transport_type;
    arg_.ssl_auth_type = ssl_auth;
    if (transport_type == WINHTTPS)
        arg_.winhttp_security_flags = QOR_WINHTTPS_SECURITY_FLAGS;
    if (transport_type == WINHTTP || transport_type == WINHTTPS)
        arg_.winhttp_session =
            WinHttpOpen(u"gSOAP", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, nullptr, nullptr, 0);
    if (trace)
        trace_ = std::tmpfile();
    register_rc_ = soap_register_plugin_arg(soap_, plugin_register, &arg_);
    plugin_set_trace(soap_, trace_, trace_);
}

SoapClient::~SoapClient()
{
    soap_destroy(soap_);
    soap_end(soap_);
    soap_free(soap_);
    if (arg_.winhttp_session != nullptr)
        WinHttpCloseHandle(arg_.winhttp_session);
    if (trace_ != nullptr)
        std::fclose(trace_);
}

void SoapClient::set_credentials(const char* user, const char* password)
{
    user_ = user;
    password_ = password;
}

int SoapClient::get_process_list(const std::string& endpoint, int* count)
{
    soap_destroy(soap_);
    soap_end(soap_); // which forgets the credentials
    soap_->userid = user_;
    soap_->passwd = password_;
    QORControl__ArrayOfOSProcess processes;
    int rc = soap_call_QORControl__GetProcessList(soap_, endpoint.c_str(), "", processes);
    if (count != nullptr)
        *count = rc == SOAP_OK ? processes.__size : -1;
    return rc;
}

std::string SoapClient::trace() const
{
    if (trace_ == nullptr)
        return {};
    std::fflush(trace_);
    long end = std::ftell(trace_);
    std::string text(static_cast<size_t>(end), '\0');
    std::rewind(trace_);
    size_t n = std::fread(text.data(), 1, text.size(), trace_);
    text.resize(n);
    std::fseek(trace_, 0, SEEK_END);
    return text;
}

std::string SoapClient::fault() const
{
    if (soap_->error == SOAP_OK)
        return {};
    soap_set_fault(
        soap_); // as the client does before printing: fills in the text of the error code
    const char** code = soap_faultstring(soap_);
    const char** detail = soap_faultdetail(soap_);
    std::string text = code != nullptr && *code != nullptr ? *code : "";
    if (detail != nullptr && *detail != nullptr)
        text += std::string(", ") + *detail;
    return text;
}

long SoapClient::connections() const
{
    const qortransport::PluginData* d = qortransport::plugin_data(soap_);
    return d != nullptr ? d->connections_opened : -1;
}

std::string process_list_xml(std::initializer_list<const char*> colours)
{
    std::ostringstream xml;
    xml << "<QORControl:GetProcessListResponse><process>";
    int i = 0;
    for (const char* c : colours) {
        xml << "<item><name>proc" << i << "</name><description>Process " << i
            << "</description><dispstatus>QORControl-" << c
            << "</dispstatus><textstatus>Running</textstatus><starttime>2026 12 06 "
               "08:15:02</starttime>"
            << "<elapsedtime>1:00:00</elapsedtime><pid>" << 1000 + i << "</pid></item>";
        ++i;
    }
    xml << "</process></QORControl:GetProcessListResponse>";
    return xml.str();
}
