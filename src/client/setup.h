#ifndef QOR_CLIENT_SETUP_H
#define QOR_CLIENT_SETUP_H

#include <cstddef>
#include <cstdio>
#include <string>

#include <stdsoap2.h>

#include "client/settings.h"
#include "sssl/sssl.h"
#include "transport/winhttp.h"

/* The SOAP context of a run and what the set-up opened for it; released
 * when the run ends. */
struct ClientSession
{
    struct soap soap;
    bool soap_ready = false;
    HINTERNET winhttp_session = nullptr;
    std::string endpoint;
    FILE* trace = nullptr; // the -trace file as the transport sees it

    ClientSession() = default;
    ClientSession(const ClientSession&) = delete;
    ClientSession& operator=(const ClientSession&) = delete;
    ~ClientSession();
};

/* Room for the endpoint URL: a host name that does not fit is refused. */
constexpr std::size_t kEndpointSize = 320;

/* Finds the port of a service name in the services table; 0 when unknown. */
using ServicePortLookup = int (*)(const QOR_UC* service, unsigned short* port);

/* The endpoint of the instance: "pipe:\\host\pipe\qorcontrol_NN" for PIPE,
 * "https://host:port" for NI_HTTPS and WINHTTPS, else "http://host:port".
 * The port comes from the services table ("qorctrlNN"/"qorctrlsNN", for
 * instance 99 the host agent's names) or 50013/50014 + 100 x instance
 * (1128/1129 for 99). An IPv6 literal host is put in brackets in a URL and
 * stands bare in a pipe name. The host is one that host_text_valid accepts.
 * False when the result would not fit kEndpointSize. */
bool make_endpoint(int transport, const char* host, int instance_nr, std::string* endpoint);

/* What find_client_pse gives for a PSE file name that cannot be tested as
 * the SSL layer opens it: the run ends before anything is sent. */
constexpr int kPseNameUnusable = -1;

/* 2 when the client PSE exists, else 1 when the anonymous PSE exists, else
 * 0; kPseNameUnusable when the directory's name does not come back as the
 * same bytes from 16-bit text or a PSE file name exceeds 260 units. The
 * directory is the SSL layer's (QorSSLPseDir): SECUDIR (when not empty),
 * else the "sec" folder of HOMEDRIVE+HOMEPATH, else of HOME. */
int find_client_pse(void);

/* The PSE directory with its trailing separator, as find_client_pse uses it
 * (empty when none is known); false when its name would not come back as the
 * same bytes. */
bool client_pse_dir(std::u16string* dir);

/* Clears *params for the SSL layer's initialisation and selects its default
 * credential for what find_client_pse found (pse): the client PSE, else the
 * anonymous one. Returns the plug-in's authentication type: a client
 * certificate with the client PSE, none with the anonymous PSE, and no
 * server verification without any PSE file. */
int choose_ssl_credentials(int pse, SSSL_INIT_PARAMS* params);

/* Switch the console's input code page to the user's locale for the
 * duration of the -queryuser dialogue, and back. */
void set_console_cp_from_locale(void);
void restore_console_cp(void);

/* The -queryuser dialogue: asks "User? " and, without echo, "Password? ";
 * the answers replace the settings' user and password. No answer (the end
 * of input, endless white space, an empty name, a name that goes on past
 * the bound of over-long input) leaves no user and no password. */
void query_user_and_password(ClientSettings& settings);

/* Everything before the first call: NI, the endpoint (from a host that the
 * option check found valid), the SOAP context (keep-alive, UTF-8 strings),
 * the SSL layer for NI_HTTPS, the WinHTTP session, the transport plug-in
 * with the trace file, and -queryuser. A failed step prints its line and
 * ends the run with exit code 1. */
void setup_client(ClientSession& session, ClientSettings& settings);

#endif
