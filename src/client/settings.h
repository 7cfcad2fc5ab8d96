#ifndef QOR_CLIENT_SETTINGS_H
#define QOR_CLIENT_SETTINGS_H

#include <cstdio>
#include <vector>

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

/* Every webmethod argument read from the command line. Texts are UTF-8 in
 * plain heap memory that lives until the process ends; null means absent. */
struct WebmethodArgs
{
    char* runlevel = nullptr;
    int softtimeout = 0;
    char* host = nullptr; /* InstanceStart/Stop, Bootstrap, J2EEControlCluster */
    int instance_nr = -1;
    const QOR_UC* system_id = nullptr; /* StartService, as typed */
    int system_option = 0;             /* StartStopOption, 0 = ALL */
    char* level = nullptr;
    int start_wait_timeout = 60; /* StartSystem */
    int stop_wait_timeout = 300; /* StopSystem, RestartSystem */
    int timeout = 0;             /* GetSystemInstanceList */
    char* node = nullptr;
    int force = 0;
    char* function_name = nullptr; /* AccessCheck */
    char* logon_user = nullptr;    /* RequestLogonFile */
    char* parameter = nullptr;     /* ParameterValue */
    char* filename = nullptr;      /* ReadDeveloperTrace, ReadLogFile, ReadSnapshot */
    int size = 0;
    char* filter = nullptr;
    char* language = nullptr;
    int maxentries = 0; /* ReadLogFile */
    char* cookie = nullptr;
    int severity = 2; /* AnalyseLogFiles, CreateSnapshot */
    int analyse_maxentries = 10000;
    char* starttime = nullptr;
    char* endtime = nullptr;
    int logfile_mode = 0;        /* ConfigureLogFileList */
    std::vector<char*> list;     /* the list-taking webmethods */
    char* description = nullptr; /* CreateSnapshot */
    char* datcol_param = nullptr;
    int snapshot_maxentries = -10000;
    const QOR_UC* local_filename = nullptr; /* ReadSnapshot */
    char* command = nullptr;                /* OSExecute */
    int async = 0;
    int exec_timeout = 0;
    char* protocolfile = nullptr;
    int pid = 0; /* SendSignal, GetCallstack */
    char* signal = nullptr;
    char* processtype = nullptr; /* Get/SetProcessParameter(2) */
    int process_pid = -1;
    int persistence = 0;
    char* parameter_name = nullptr;
    char* parameter_value = nullptr; /* exactly one value word */
    bool has_values = false;         /* otherwise: the values list (maybe empty) */
    int active_only = 0;             /* VORNGetSystemWPTable */
    char* processname = nullptr;     /* J2EE webmethods */
    char* j2ee_function = nullptr;
    char* operation = nullptr;
    char* component_type = nullptr;
    char* component_names = nullptr;
    char* dbg_client = nullptr;
    char* dbg_flags = nullptr;
    char* dbg_key = nullptr;
    int thread_index = -1;
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
    int wait_timeout = 0;
    int wait_delay = 1;
    WebmethodArgs args;
};

#endif
