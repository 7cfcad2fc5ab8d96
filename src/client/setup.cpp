// Endpoint, SOAP context, transport and credential set-up of a run.
#include "client/setup.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include <unistd.h>

#include <stdsoap2.h>

#include "base/dptrc.h"
#include "client/options.h"
#include "client/strings.h"
#include "client/trace_mask.h"
#include "ni/ni.h"
#include "platform/client_console.h"
#include "rscp/rscp_utf.h"
#include "sssl/sssl.h"
#include "transport/plugin.h"
#include "transport/winhttp.h"
#include "u16/u16.h"

namespace {

// Room for a PSE file name: 260 units and the terminator.
constexpr std::size_t kPathUnits = 260;

unsigned int saved_console_cp = 0;

// The UTF-8 bytes of 16-bit text; false when it has none.
bool narrow(const std::u16string& text, std::string* bytes)
{
    std::string out(text.size() * 4 + 1, '\0');
    int32_t length = 0;
    if (rscpU16zToUtf8(out.data(), static_cast<int32_t>(out.size()), &length, text.c_str()) != 0)
        return false;
    out.resize(static_cast<std::size_t>(length));
    *bytes = out;
    return true;
}

// The 16-bit text of a name only when it gives back the very same bytes: a
// name altered on the way (bytes that are no UTF-8) would name another file.
bool widen_exactly(const std::string& bytes, std::u16string* text)
{
    std::u16string wide(bytes.size() + 1, u'\0');
    int32_t length = 0;
    if (rscpUtf8zToU16(wide.data(), static_cast<int32_t>(wide.size()), &length, bytes.c_str()) != 0)
        return false;
    wide.resize(static_cast<std::size_t>(length));
    if (!wide_gives_bytes(wide.c_str(), bytes))
        return false;
    *text = wide;
    return true;
}

bool pse_named(const std::u16string& path)
{
    std::string name;
    return narrow(path, &name) && QorSSLPseNamed(name.c_str());
}

// The port of a service name from the services table, or the fallback.
int service_port(const char* name, int fallback)
{
    QOR_UC wide[32];
    A7ToU16(wide, name);
    uint16_t port = 0;
    if (NiServToNo(wide, &port) == 0)
        return port;
    return fallback;
}

// The host as a URL carries it: an IPv6 literal in brackets, or the toolkit
// reads its colons as the start of the port.
std::string url_host(const char* host)
{
    if (host[0] == '[' || std::strchr(host, ':') == nullptr)
        return host;
    return std::string("[") + host + "]";
}

// A pipe name carries the bare address, as the host's own name for itself.
std::string pipe_host(const char* host)
{
    const std::size_t n = std::strlen(host);
    if (n >= 2 && host[0] == '[' && host[n - 1] == ']')
        return std::string(host + 1, n - 2);
    return host;
}

} // namespace

bool make_endpoint(int transport, const char* host, int nr, std::string* endpoint)
{
    char buf[kEndpointSize];
    int n = 0;
    if (transport == TRANSPORT_PIPE) {
        n = std::snprintf(buf, sizeof buf, "pipe:\\\\%s\\pipe\\qorcontrol_%02d",
                          pipe_host(host).c_str(), nr);
    } else if (transport == TRANSPORT_NI_HTTPS || transport == TRANSPORT_WINHTTPS) {
        char service[32];
        std::snprintf(service, sizeof service, "qorctrls%02d", nr);
        const int port =
            nr == 99 ? service_port("qorzoziduros", 1129) : service_port(service, 50014 + 100 * nr);
        n = std::snprintf(buf, sizeof buf, "https://%s:%d", url_host(host).c_str(), port);
    } else {
        char service[32];
        std::snprintf(service, sizeof service, "qorctrl%02d", nr);
        const int port =
            nr == 99 ? service_port("qorzoziduro", 1128) : service_port(service, 50013 + 100 * nr);
        n = std::snprintf(buf, sizeof buf, "http://%s:%d", url_host(host).c_str(), port);
    }
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof buf)
        return false;
    endpoint->assign(buf, static_cast<std::size_t>(n));
    return true;
}

bool client_pse_dir(std::u16string* dir)
{
    // The directory the SSL layer reads the PSE files from, so that the file
    // judged here is the one it opens.
    const std::string bytes = QorSSLPseDir();
    dir->clear();
    if (bytes.empty())
        return true;
    if (!widen_exactly(bytes, dir))
        return false;
    if (dir->back() != u'/')
        *dir += u'/';
    return true;
}

int find_client_pse(void)
{
    std::u16string dir;
    if (!client_pse_dir(&dir))
        return kPseNameUnusable;
    if (dir.empty())
        return 0;
    const std::u16string client = dir + u"QORSSLC.pse";
    // A name that does not fit is never tested cut short; nor is it left
    // out, which would choose the mode that verifies no server.
    if (client.size() > kPathUnits)
        return kPseNameUnusable;
    if (pse_named(client))
        return 2;
    if (pse_named(dir + u"QORSSLA.pse"))
        return 1;
    return 0;
}

int choose_ssl_credentials(int pse, SSSL_INIT_PARAMS* params)
{
    *params = SSSL_INIT_PARAMS{};
    params->size = sizeof *params;
    switch (pse) {
    case 2:
        params->default_creds = SSSL_CRED_CLIENT;
        return USE_CLIENT_CERT;
    case 1:
        params->default_creds = SSSL_CRED_ANON;
        return NO_CLIENT_CERT;
    default:
        // No PSE file: the anonymous credential; there is no built-in one.
        params->default_creds = SSSL_CRED_ANON;
        return ANON_SRVCERT_NO_VERIFY;
    }
}

void set_console_cp_from_locale(void)
{
    saved_console_cp = GetConsoleCP();
    const std::string_view locale(client_default_locale());
    const std::size_t dot = locale.rfind('.');
    if (dot == std::string_view::npos)
        return;
    unsigned int code_page = 0;
    for (std::size_t i = dot + 1; i < locale.size() && locale[i] >= '0' && locale[i] <= '9'; ++i)
        code_page = code_page * 10 + static_cast<unsigned int>(locale[i] - '0');
    if (code_page != 0)
        SetConsoleCP(code_page);
}

void restore_console_cp(void)
{
    SetConsoleCP(saved_console_cp);
}

void query_user_and_password(ClientSettings& s)
{
    set_console_cp_from_locale();
    // A report about the user name must not read ahead into the password.
    U16SetSecretInput(stdin);
    printfU16(cU("User? "));
    std::fflush(stdout);
    // The answer is read into 1024 units at most, after at most a bounded
    // run of blanks and empty lines: an endless one is no answer.
    QOR_UC user[1024] = {0};
    // A word that starts with a NUL character is an empty name, which would
    // silently ask the service for a logon file: no answer either.
    bool answered = U16SkipSpace(stdin) && scanfU16(cU("%1023s"), user) == 1 && user[0] != 0;
    // A word that goes on past the bound is no answer, never a shorter name
    // (another user's): no credentials go out.
    if (answered && user[1022] != 0) {
        const auto word_end = [](int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
        const int c = fgetcU16(stdin);
        if (c >= 0 && !word_end(c))
            answered = false;
        else if (c >= 0)
            std::ungetc(c, stdin);
    }
    // The password is read from the next line, or from the rest of this one
    // when it follows the user name there; an empty line is an empty one.
    if (answered)
        U16EndBlankLine(stdin);
    const QOR_UC* password = getpassU16(cU("Password? "));
    U16SetSecretInput(nullptr);
    if (answered) {
        s.user = wide_to_utf8(nullptr, user);
        s.password = wide_to_utf8(nullptr, password != nullptr ? password : cU(""));
    } else {
        // No answer at all (end of input) leaves no credentials; an empty
        // user would silently ask the service for a logon file instead.
        s.user = nullptr;
        s.password = nullptr;
    }
    restore_console_cp();
}

ClientSession::~ClientSession()
{
    if (soap_ready) {
        soap_destroy(&soap);
        soap_end(&soap);
        soap_done(&soap);
    }
    if (winhttp_session != nullptr)
        WinHttpCloseHandle(winhttp_session);
    if (trace != nullptr)
        std::fclose(trace);
}

void setup_client(ClientSession& session, ClientSettings& s)
{
    NiInit();
    if (!make_endpoint(s.transport, s.host, s.instance_nr, &session.endpoint)) {
        printfU16(cU("Host name too long\n"));
        client_exit(1);
    }
    struct soap* soap = &session.soap;
    soap_init2(soap, SOAP_IO_KEEPALIVE | SOAP_C_UTFSTRING, SOAP_IO_KEEPALIVE | SOAP_C_UTFSTRING);
    session.soap_ready = true;

    plugin_arg arg{};
    arg.transport_type = s.transport;
    arg.winhttp_security_flags = 0;
    arg.winhttp_session = nullptr;
    arg.ssl_auth_type = USE_CLIENT_CERT;
    arg.reserved = 0;

    if (s.transport == TRANSPORT_NI_HTTPS) {
        const int pse = find_client_pse();
        if (pse == kPseNameUnusable) {
            printfU16(cU("FAIL: the PSE file name is no UTF-8 text or longer than %d "
                         "characters\n"),
                      static_cast<int>(kPathUnits));
            client_exit(1);
        }
        SSSL_INIT_PARAMS params{};
        arg.ssl_auth_type = choose_ssl_credentials(pse, &params);
        FILE* ssl_trace = DpTrcLevel != 0 ? stderr : fopenU16(cU("/dev/null"), cU("w"));
        QorSSLSetTraceFile(ssl_trace);
        if (QorSSLInit(0, &params, nullptr) != 0) {
            printfU16(cU("QorSSLInit failed\n"));
            client_exit(1);
        }
    }
    if (s.transport == TRANSPORT_WINHTTP || s.transport == TRANSPORT_WINHTTPS) {
        if (s.transport == TRANSPORT_WINHTTPS)
            arg.winhttp_security_flags = QOR_WINHTTPS_SECURITY_FLAGS;
        arg.winhttp_session = WinHttpOpen(cU("gSOAP"), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                          WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
        session.winhttp_session = arg.winhttp_session;
        if (arg.winhttp_session == nullptr) {
            printfU16(cU("WinHttpOpen failed\n"));
            client_exit(1);
        }
    }
    if (soap_register_plugin_arg(soap, plugin_register, &arg) != 0) {
        printfU16(cU("Transport layer plugin registration failed.\n"));
        client_exit(1);
    }
    // Passwords travel in the Authorization header: the trace hides them.
    session.trace = open_masked_trace(s.trace);
    plugin_set_trace(soap, session.trace, session.trace);
    if (s.query_user)
        query_user_and_password(s);
}
