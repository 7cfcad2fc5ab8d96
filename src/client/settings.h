#ifndef QOR_CLIENT_SETTINGS_H
#define QOR_CLIENT_SETTINGS_H

#include <cstdio>

#include "client/arguments.h"
#include "u16/qor_uc.h"

/* Transport types selected with -prot. */
enum TransportType {
    TRANSPORT_NI_HTTP = 0,
    TRANSPORT_NI_HTTPS = 1,
    TRANSPORT_WINHTTP = 2,
    TRANSPORT_WINHTTPS = 3,
    TRANSPORT_PIPE = 4,
    TRANSPORT_GSOAP_HTTP = 5,
};

/* The settings of one run, filled by the option loop. */
struct ClientSettings
{
    int transport = TRANSPORT_NI_HTTP;
    const char* host = "localhost";     /* UTF-8 */
    const QOR_UC* host_typed = nullptr; /* as typed, for StartService */
    int instance_nr = -1;
    char* user = nullptr;
    char* password = nullptr;
    bool query_user = false;
    int repeat_count = 1;
    int repeat_delay = 0;
    const QOR_UC* format = cU("list");
    const QOR_UC* webmethod = nullptr;
    FILE* trace = nullptr;
    Arguments arguments; /* of the last "-function" */
};

#endif
